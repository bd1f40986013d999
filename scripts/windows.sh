#!/usr/bin/env bash
# Cross-builds plumor.exe, plumor-outils.exe and the base suites for Windows
# (x86_64, mingw-w64) against the QtBase of scripts/qt-windows.sh, then makes
# the portable zip and the installer in build-windows/paquets/.
#   scripts/windows.sh [build folder]      (default: build-windows)
set -euo pipefail
racine=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dossier=${1:-$racine/build-windows}
qt=$(bash "$racine/scripts/qt-windows.sh")

mkdir -p "$dossier"
cat > "$dossier/mingw.cmake" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32 $qt)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)
EOF
cmake -S "$racine" -B "$dossier" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$dossier/mingw.cmake" -DCMAKE_PREFIX_PATH="$qt" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DPLUMOR_BANCS=OFF >/dev/null
cmake --build "$dossier" -j"$(nproc)"
mkdir -p "$dossier/programmes"
cp "$dossier/src/app/plumor.exe" "$dossier/src/app/plumor-outils.exe" "$dossier/programmes/"
bash "$racine/scripts/paquet-windows.sh" "$dossier/programmes" "$qt" "$dossier/paquets"
