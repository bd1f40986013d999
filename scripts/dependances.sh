# Sourced by the set-up scripts: installs the Debian packages that are missing,
# and only those, so a second run costs nothing.
installer_manquants() {
  local manquants=()
  for paquet in "$@"; do
    dpkg-query -W -f='${Status}' "$paquet" 2>/dev/null | grep -q 'install ok installed' || manquants+=("$paquet")
  done
  [ ${#manquants[@]} -eq 0 ] && return 0
  echo "Installing: ${manquants[*]}"
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${manquants[@]}"
}

# What building Plumor needs, and the fonts its window asks for.
PAQUETS_CONSTRUCTION=(cmake g++ make qt6-base-dev qt6-translations-l10n libgl-dev fonts-comic-neue fonts-dejavu-core)

construire() {
  local racine=$1 dossier=$2
  cmake -S "$racine" -B "$dossier" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$dossier" -j"$(nproc)"
}

# What the Windows build and its tests under Wine need.
PAQUETS_WINDOWS=(g++-mingw-w64-x86-64-posix dpkg-dev ninja-build cmake qt6-base-dev wine64 wine nsis zip unzip)
