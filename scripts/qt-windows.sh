#!/usr/bin/env bash
# Builds QtBase for x86_64-w64-mingw32 from Debian's own qt6-base source, once,
# into a cache outside the tree, and prints the installed prefix. The cache is
# reused while Debian's Qt version and this configuration stay the same, so
# the Windows build always matches the host tools (moc, rcc, uic) it uses.
#
#   scripts/qt-windows.sh            build if missing, print the prefix
#   PLUMOR_CACHE=/path scripts/qt-windows.sh
set -euo pipefail
racine=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$racine/scripts/dependances.sh"
installer_manquants "${PAQUETS_WINDOWS[@]}"

version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
if [ -n "${PLUMOR_CACHE:-}" ]; then cache=$PLUMOR_CACHE
elif [ "$(id -u)" -eq 0 ]; then cache=/var/cache/plumor
else cache=${XDG_CACHE_HOME:-$HOME/.cache}/plumor
fi

# What QtBase is configured with; part of the cache's name so a change here
# builds again instead of reusing a Qt built otherwise.
options=(
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  # Debian's source lacks wintab.h.
  -DFEATURE_tabletevent=OFF
  # Without OpenGL, the Windows platform plugin must not try to load it either.
  -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF
  -DFEATURE_vulkan=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
  -DFEATURE_testlib=ON -DFEATURE_printsupport=ON
)
empreinte=$(printf '%s\n' "$version" "${options[@]}" | sha256sum | cut -c1-12)
prefixe=$cache/qt-${version%%+*}-mingw64-$empreinte
if [ -f "$prefixe/.complet" ]; then
  echo "$prefixe"
  exit 0
fi

travail=$cache/travail-$empreinte
rm -rf "$travail"
mkdir -p "$travail/apt/lists/partial" "$travail/apt/archives/partial" "$travail/apt/sources.list.d" "$travail/src"
# A private apt configuration: the machine's own Debian sources (a school's
# mirror or proxy included), turned into source lines; they and their lists
# stay in the cache, the machine's sources and lists are left as they are.
sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list /etc/apt/sources.list.d/*.list \
  >"$travail/apt/sources.list" 2>/dev/null || true
for f in /etc/apt/sources.list.d/*.sources; do
  if [ -f "$f" ]; then sed 's/^Types:.*$/Types: deb-src/' "$f" >"$travail/apt/sources.list.d/$(basename "$f")"; fi
done
apt_prive=(-o "Dir::Etc::SourceList=$travail/apt/sources.list" -o "Dir::Etc::SourceParts=$travail/apt/sources.list.d"
  -o "Dir::State::Lists=$travail/apt/lists" -o "Dir::Cache=$travail/apt" -o APT::Sandbox::User=root)
apt-get "${apt_prive[@]}" update -qq >&2
(cd "$travail/src" && apt-get "${apt_prive[@]}" source -qq "qt6-base=$version" >&2)
source_qt=$(find "$travail/src" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | head -1)

debut=$(date +%s)
cmake -S "$source_qt" -B "$travail/build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$racine/scripts/mingw64.cmake" -DCMAKE_INSTALL_PREFIX="$prefixe" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  "${options[@]}" >"$travail/configure.log" 2>&1 || { tail -40 "$travail/configure.log" >&2; exit 1; }
nice cmake --build "$travail/build" -j"$(nproc)" >"$travail/build.log" 2>&1 || { tail -40 "$travail/build.log" >&2; exit 1; }
cmake --install "$travail/build" >/dev/null
echo "QtBase for Windows built in $(( $(date +%s) - debut )) s" >&2
touch "$prefixe/.complet"
rm -rf "$travail"
echo "$prefixe"
