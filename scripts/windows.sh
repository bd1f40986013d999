#!/usr/bin/env bash
# Cross-builds plumor.exe, plumor-outils.exe and the base suites for Windows
# (x86_64, mingw-w64) against the QtBase of scripts/qt-windows.sh, then makes
# the portable zip and the installer in build-windows/paquets/.
#   scripts/windows.sh [build folder]      (default: build-windows)
set -euo pipefail
racine=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dossier=${1:-$racine/build-windows}
qt=$(bash "$racine/scripts/qt-windows.sh")

cmake -S "$racine" -B "$dossier" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$racine/scripts/mingw64.cmake" -DPLUMOR_QT_WINDOWS="$qt" -DCMAKE_PREFIX_PATH="$qt" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DPLUMOR_BANCS=OFF >/dev/null
cmake --build "$dossier" -j"$(nproc)"
mkdir -p "$dossier/programmes"
cp "$dossier/src/app/plumor.exe" "$dossier/src/app/plumor-outils.exe" "$dossier/programmes/"
bash "$racine/scripts/paquet-windows.sh" "$dossier/programmes" "$qt" "$dossier/paquets"
