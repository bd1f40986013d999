#!/usr/bin/env bash
# Builds the Debian package from a copy of the source tree (dpkg-buildpackage
# writes beside the tree it builds, so nothing lands in this one) and checks
# it with lintian and appstreamcli; installs it as a teacher would; validates
# the menu entry; starts the installed Plumor from a class folder under a
# virtual screen and checks that its window maps with no message at start-up
# (a missing lexicon shows one before the window), then hides the lexicon to
# prove that check sees the message; upgrades over a lexicon the teacher
# edited and checks that it is kept; removes the package.
# The machine's own Plumor is never touched: where a plumor package (or
# /etc/plumor) was there before the run, everything from the install on is
# skipped, unless PLUMOR_REMPLACER_PAQUET=1 asks for it (it then purges that
# package and its lexicon).
#   20-paquet.sh [BUILD_FOLDER]   (the build folder is not used)
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

# Installing a package needs root.
[ "$(id -u)" -eq 0 ] || exec sudo bash "${BASH_SOURCE[0]}" "$@"
source "$racine/scripts/dependances.sh"
installer_manquants dpkg-dev debhelper lintian appstream man-db desktop-file-utils xvfb xauth xdotool
debut=$SECONDS

# Installing and removing the package changes the whole machine: one run at a time.
exec 9>/tmp/plumor-etape-paquet.lock
flock -w 900 9 || echec "another run still holds /tmp/plumor-etape-paquet.lock"

# Decided before anything is built, so that nothing below can mistake the
# machine's own Plumor for one this run installed.
deja=$(dpkg-query -W -f='${db:Status-Status}' plumor 2>/dev/null || true)
installer=1
if [ -n "$deja" ] && [ "$deja" != not-installed ] || [ -e /etc/plumor ]; then
  if [ "${PLUMOR_REMPLACER_PAQUET:-}" = 1 ]; then
    echo "20-paquet: PLUMOR_REMPLACER_PAQUET=1: the plumor package already here ($deja) and /etc/plumor will be purged"
  else
    installer=0
  fi
fi

tmp=$(mktemp -d /tmp/plumor-paquet.XXXXXX)
apt_plumor() {
  DEBIAN_FRONTEND=noninteractive apt-get "$@" -y -qq -o DPkg::Lock::Timeout=300 >>"$tmp/apt.log" 2>&1
}
# Only a package this run installed is removed on the way out.
installe_ici=0
nettoyer() {
  if [ "$installe_ici" = 1 ] && dpkg-query -W plumor >/dev/null 2>&1; then
    apt_plumor purge plumor || cat "$tmp/apt.log" >&2
  fi
  rm -rf "$tmp"
}
trap nettoyer EXIT
trap 'exit 1' INT TERM HUP

# Tracked and new files as they are in the work tree, without build folders.
arbre=$tmp/plumor
mkdir "$arbre"
git -C "$racine" ls-files -z -co --exclude-standard \
  | tar -C "$racine" --null --ignore-failed-read -T - -cf - | tar -C "$arbre" -xf -
(cd "$arbre" && dpkg-checkbuilddeps 2>/dev/null) || apt_plumor build-dep "$arbre" \
  || { apt_plumor update && apt_plumor build-dep "$arbre"; } || { cat "$tmp/apt.log" >&2; echec "cannot install the build dependencies"; }
# Source and binary, so that lintian checks debian/ as a distribution gets it.
(cd "$arbre" && DEB_BUILD_OPTIONS="nocheck parallel=2 noddebs" dpkg-buildpackage -us -uc) >"$tmp/construction.log" 2>&1 \
  || { tail -40 "$tmp/construction.log" >&2; echec "dpkg-buildpackage failed"; }
version=$(dpkg-parsechangelog -l "$arbre/debian/changelog" -S Version)
deb=$tmp/plumor_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || echec "no $(basename "$deb") built"
echo "built in $((SECONDS - debut)) s"

# Informational tags may stay; lintian's complaint about running as root goes.
lintian --fail-on error,warning "$tmp"/plumor_*.changes >"$tmp/lintian.log" 2>&1 \
  || { cat "$tmp/lintian.log" >&2; echec "lintian reports errors or warnings"; }
grep -v 'root privileges' "$tmp/lintian.log" || true
appstreamcli validate-tree --no-net "$arbre/debian/plumor" || echec "the AppStream metadata has errors or warnings"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
outils=$(tr ',' '\n' <<<"$depends" | awk '{print $1}' \
  | grep -E '^(cmake|make|ninja-build|gcc.*|g\+\+.*|clang.*|dpkg-dev|debhelper|qt6-base-dev.*|.*-dev)$' || true)
[ -z "$outils" ] || echec "build tools among the package's dependencies: $outils"
for besoin in libqt6widgets6 libqt6printsupport6 qt6-translations-l10n fonts-comic-neue fonts-dejavu-core; do
  grep -qE "(^|, )$besoin( |,|$)" <<<"$depends" || echec "$besoin missing from Depends"
done

if [ "$installer" = 0 ]; then
  echo "20-paquet: SKIPPED the install, start, upgrade and removal checks: a plumor package" \
    "(${deja:-state unknown}) or /etc/plumor was already on this machine, and this run leaves them as they are." \
    "PLUMOR_REMPLACER_PAQUET=1 runs them anyway, purging that package and its lexicon."
  exit 0
fi

# Asked for above: the package already here would hide what this one installs.
if dpkg-query -W plumor >/dev/null 2>&1; then
  apt_plumor purge plumor || { cat "$tmp/apt.log" >&2; echec "cannot remove the plumor already installed"; }
fi
installe_ici=1
apt_plumor install "$deb" || { apt_plumor update && apt_plumor install "$deb"; } \
  || { cat "$tmp/apt.log" >&2; echec "the package does not install"; }

for f in /usr/bin/plumor /usr/lib/plumor/plumor /usr/lib/plumor/lexique.stw \
         /usr/share/icons/hicolor/48x48/apps/plumor.png /usr/share/icons/hicolor/256x256/apps/plumor.png; do
  [ -e "$f" ] || echec "$f not installed"
done
[ "$(readlink /usr/lib/plumor/lexique.stw)" = /etc/plumor/lexique.stw ] || echec "lexique.stw beside the program is not the link to /etc"
grep -q '^ /etc/plumor/lexique.stw ' <<<"$(dpkg-query -W -f='${Conffiles}\n' plumor)" || echec "the lexicon is not a conffile"
for page in plumor plumor-outils; do
  man -w "$page" >/dev/null 2>&1 || echec "no manual page for $page"
done
validation=$(desktop-file-validate /usr/share/applications/plumor.desktop 2>&1) \
  || echec "desktop entry invalid: $validation"
! grep -qE '(error|warning):' <<<"$validation" || echec "desktop entry: $validation"

cp -r "$racine/exemple/classe" "$tmp/classe"
# A home of its own: a recovery record the machine's user left would put its
# question before the window, and this Plumor must leave none in that home.
mkdir -m 0700 "$tmp/home"
fenetre() {
  # Away from :99, where other checks' screens start: xvfb-run -a races them.
  (cd "$tmp/classe" && export HOME=$tmp/home XDG_STATE_HOME=$tmp/home/.local/state XDG_CONFIG_HOME=$tmp/home/.config \
     XDG_CACHE_HOME=$tmp/home/.cache && timeout -k 5 90 xvfb-run -a -n $((100 + RANDOM % 400)) -s "-screen 0 1280x1024x24" \
    bash "$ici/20-paquet.sh" --fenetre "$1" "$tmp/plumor.log")
}
fenetre principale || { cat "$tmp/plumor.log" >&2; echec "the installed Plumor did not start cleanly from a class folder"; }

# Without its lexicon Plumor must show "Fichier lexique.stw pas disponible!":
# if that is not seen, the check above proves nothing.
mv /etc/plumor/lexique.stw "$tmp/lexique.stw"
fenetre message || echec "no message seen without the lexicon: the window check is blind"
mv "$tmp/lexique.stw" /etc/plumor/lexique.stw

# An upgrade over the teacher's lexicon, the shipped one having changed too.
# The second package is this one repacked, so that it differs in nothing but
# its version and lexicon: building it anew would cost another build and add
# nothing. dh_md5sums leaves conffiles out of DEBIAN/md5sums, so only the
# control file changes. dpkg would ask the teacher which lexicon to keep;
# with no one to answer, --force-confold keeps the edited one (--force-confdef
# takes dpkg's own answer wherever it has one) and the shipped one is left
# beside it as .dpkg-dist.
printf 'les oiseaux;un merle;une pie\r\n' >>/etc/plumor/lexique.stw
cp /etc/plumor/lexique.stw "$tmp/lexique-enseignant.stw"
dpkg-deb -R "$deb" "$tmp/suivant"
printf 'la mer;une vague;un crabe\r\n' >>"$tmp/suivant/etc/plumor/lexique.stw"
sed -i "s/^Version: .*/Version: $version+essai1/" "$tmp/suivant/DEBIAN/control"
dpkg-deb --root-owner-group -b "$tmp/suivant" "$tmp/plumor-suivant.deb" >/dev/null
apt_plumor install -o Dpkg::Options::=--force-confdef -o Dpkg::Options::=--force-confold \
  "$tmp/plumor-suivant.deb" || { cat "$tmp/apt.log" >&2; echec "the upgrade does not install"; }
[ "$(dpkg-query -W -f='${Version}' plumor)" = "$version+essai1" ] || echec "the upgrade was not installed"
cmp -s /etc/plumor/lexique.stw "$tmp/lexique-enseignant.stw" || echec "the upgrade replaced the teacher's lexicon"
cmp -s /etc/plumor/lexique.stw.dpkg-dist "$tmp/suivant/etc/plumor/lexique.stw" \
  || echec "the upgrade did not leave its lexicon as lexique.stw.dpkg-dist"

apt_plumor purge plumor || { cat "$tmp/apt.log" >&2; echec "the package does not remove"; }
[ ! -e /usr/bin/plumor ] && [ ! -e /usr/lib/plumor ] && [ ! -e /etc/plumor ] || echec "files left after removal"
echo "package $(basename "$deb") builds clean, installs, starts from a class folder, keeps an edited lexicon and removes ($((SECONDS - debut)) s)"
