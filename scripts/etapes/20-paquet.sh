#!/usr/bin/env bash
# Builds the Debian package from the build folder and installs it as a
# teacher would; validates the menu entry; starts the installed Plumor from a
# class folder under a virtual screen and checks that its window maps with no
# message at start-up (a missing lexicon shows one before the window); then
# hides the lexicon to prove that check sees the message; removes the package.
#   20-paquet.sh BUILD_FOLDER
set -euo pipefail
ici=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
racine=$(cd "$ici/../.." && pwd)

echec() { echo "20-paquet: $*" >&2; exit 1; }

# Inside the virtual screen: `20-paquet.sh --fenetre ATTENDU LOG`, run from the
# class folder. ATTENDU is "principale" (the main window alone must map) or
# "message" (a message box must map instead).
if [ "${1:-}" = --fenetre ]; then
  attendu=$2 journal=$3
  plumor >"$journal" 2>&1 &
  pid=$!
  # A dead child stays a zombie until reaped, and kill -0 still reaches it.
  vivant() { ps -o stat= -p "$pid" 2>/dev/null | grep -q '^[^Z]'; }
  fenetres() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
      printf '%s\n' "$(xdotool getwindowname "$w" 2>/dev/null)"
    done
  }
  noms='' resultat=1
  for _ in $(seq 150); do
    vivant || { echo "Plumor ended on its own" >&2; break; }
    noms=$(fenetres)
    # The main window's first title is "b"; every start-up message box is
    # titled "Plumor".
    if grep -qx Plumor <<<"$noms"; then
      [ "$attendu" = message ] && resultat=0
      break
    fi
    if grep -qx b <<<"$noms"; then
      if [ "$attendu" = principale ]; then
        sleep 0.5
        noms=$(fenetres)
        [ "$noms" = b ] && resultat=0
      fi
      break
    fi
    sleep 0.2
  done
  [ "$attendu" != principale ] || [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = /usr/lib/plumor/plumor ] \
    || { echo "the plumor on the path is not the installed program" >&2; resultat=1; }
  [ "$resultat" -eq 0 ] || echo "windows seen: $(tr '\n' ' ' <<<"${noms:-none}")" >&2
  kill -TERM "$pid" 2>/dev/null || true
  for _ in $(seq 50); do vivant || break; sleep 0.1; done
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  exit "$resultat"
fi

build=$(cd "${1:?usage: 20-paquet.sh BUILD_FOLDER}" && pwd)
# Installing a package needs root.
[ "$(id -u)" -eq 0 ] || exec sudo bash "${BASH_SOURCE[0]}" "$build"
source "$racine/scripts/dependances.sh"
# dpkg-dev and file for the library dependencies CPack reads from the binary.
installer_manquants dpkg-dev file desktop-file-utils xvfb xauth xdotool

# Installing and removing the package changes the whole machine: one run at a time.
exec 9>/tmp/plumor-etape-paquet.lock
flock -w 900 9 || echec "another run still holds /tmp/plumor-etape-paquet.lock"

tmp=$(mktemp -d /tmp/plumor-paquet.XXXXXX)
apt_plumor() {
  DEBIAN_FRONTEND=noninteractive apt-get "$@" -y -qq -o DPkg::Lock::Timeout=300 >>"$tmp/apt.log" 2>&1
}
nettoyer() {
  [ -e /usr/lib/plumor/lexique.stw.cache ] && mv /usr/lib/plumor/lexique.stw.cache /usr/lib/plumor/lexique.stw
  dpkg-query -W plumor >/dev/null 2>&1 && { apt_plumor purge plumor || cat "$tmp/apt.log" >&2; }
  rm -rf "$tmp"
}
trap nettoyer EXIT

rm -f "$build"/plumor_*.deb
cmake --build "$build" --target package >"$tmp/cpack.log" 2>&1 || { cat "$tmp/cpack.log" >&2; echec "cpack failed"; }
paquets=("$build"/plumor_*.deb)
[ ${#paquets[@]} -eq 1 ] && [ -f "${paquets[0]}" ] || echec "expected one plumor_*.deb in $build"
deb=${paquets[0]}

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
outils=$(tr ',' '\n' <<<"$depends" | awk '{print $1}' \
  | grep -E '^(cmake|make|ninja-build|gcc.*|g\+\+.*|clang.*|dpkg-dev|qt6-base-dev.*|.*-dev)$' || true)
[ -z "$outils" ] || echec "build tools among the package's dependencies: $outils"
for besoin in libqt6widgets6 libqt6printsupport6 qt6-translations-l10n fonts-comic-neue fonts-dejavu-core; do
  grep -qE "(^|, )$besoin( |,|$)" <<<"$depends" || echec "$besoin missing from Depends"
done

# A copy left by an earlier run would hide what this package installs.
if dpkg-query -W plumor >/dev/null 2>&1; then
  apt_plumor purge plumor || { cat "$tmp/apt.log" >&2; echec "cannot remove the plumor already installed"; }
fi
apt_plumor install "$deb" || { apt_plumor update && apt_plumor install "$deb"; } \
  || { cat "$tmp/apt.log" >&2; echec "the package does not install"; }

for f in /usr/bin/plumor /usr/lib/plumor/plumor /usr/lib/plumor/lexique.stw \
         /usr/share/icons/hicolor/48x48/apps/plumor.png /usr/share/icons/hicolor/256x256/apps/plumor.png; do
  [ -e "$f" ] || echec "$f not installed"
done
validation=$(desktop-file-validate /usr/share/applications/plumor.desktop 2>&1) \
  || echec "desktop entry invalid: $validation"
! grep -qE '(error|warning):' <<<"$validation" || echec "desktop entry: $validation"

cp -r "$racine/exemple/classe" "$tmp/classe"
fenetre() {
  (cd "$tmp/classe" && timeout -k 5 90 xvfb-run -a -s "-screen 0 1280x1024x24" \
    bash "$ici/20-paquet.sh" --fenetre "$1" "$tmp/plumor.log")
}
fenetre principale || { cat "$tmp/plumor.log" >&2; echec "the installed Plumor did not start cleanly from a class folder"; }

# Without its lexicon Plumor must show "Fichier lexique.stw pas disponible!":
# if that is not seen, the check above proves nothing.
mv /usr/lib/plumor/lexique.stw /usr/lib/plumor/lexique.stw.cache
fenetre message || echec "no message seen without the lexicon: the window check is blind"
mv /usr/lib/plumor/lexique.stw.cache /usr/lib/plumor/lexique.stw

apt_plumor purge plumor || { cat "$tmp/apt.log" >&2; echec "the package does not remove"; }
[ ! -e /usr/bin/plumor ] && [ ! -e /usr/lib/plumor ] || echec "files left after removal"
echo "package $(basename "$deb") installs, starts from a class folder and removes"
