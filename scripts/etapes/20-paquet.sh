#!/usr/bin/env bash
# Builds the Debian package, source and binary, from the upstream tarball and
# debian/ in a folder beside the build folder (build-paquet/, reused while no
# tracked file changes) and checks it with lintian and appstreamcli;
# installs it as a teacher would; validates
# the menu entry; starts the installed Plumor from a class folder under a
# virtual screen and checks that its window maps with no message at start-up
# (a missing lexicon shows one before the window), then hides the lexicon to
# prove that check sees the message; upgrades over a lexicon the teacher
# edited and checks that it is kept; removes the package; runs its
# autopkgtests on this machine. The machine's own Plumor is never touched: where a plumor package (or
# /etc/plumor) was there before the run, everything from the install on is
# skipped, unless PLUMOR_REMPLACER_PAQUET=1 asks for it (it then purges that
# package and its lexicon).
#   20-paquet.sh [BUILD_FOLDER]   (only its location is used)
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
installer_manquants dpkg-dev debhelper lintian appstream man-db desktop-file-utils xvfb xauth xdotool autopkgtest
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

# The package is built as a sponsor builds it: the upstream tarball made by
# scripts/archive.sh from the tracked files, debian/ beside it, source and
# binary, the QtCore suites run by dh_auto_test. It is built again only when
# a tracked file changed: the cache key hashes every tracked path, its mode
# and its content as they are in the work tree.
version=$(dpkg-parsechangelog -l "$racine/debian/changelog" -S Version)
amont=${version%-*}
if [ -n "${1:-}" ] && [ -d "$1" ]; then base=$(cd "$1/.." && pwd); else base=$racine; fi
cache=$base/build-paquet
cle=$( { dpkg --print-architecture
         cd "$racine" && git ls-files -s | sed -E 's/^([0-7]+) [0-9a-f]+ [0-9]+\t/\1 /'
         git ls-files -z | xargs -0 sha256sum 2>&1; } | sha256sum | cut -c1-16)
paquet=$cache/$cle
deb=$paquet/plumor_${version}_$(dpkg --print-architecture).deb
dsc=$paquet/plumor_$version.dsc
if [ -f "$paquet/fait" ] && [ -f "$deb" ]; then
  echo "tracked files unchanged since the last build: reusing $paquet"
else
  rm -rf "$cache"
  mkdir -p "$paquet"
  bash "$racine/scripts/archive.sh" "$paquet" >/dev/null
  tar -C "$paquet" -xzf "$paquet/plumor_$amont.orig.tar.gz"
  arbre=$paquet/plumor-$amont
  (cd "$racine" && git ls-files -z debian | tar --null -T - -cf -) | tar -C "$arbre" -xf -
  (cd "$arbre" && dpkg-checkbuilddeps 2>/dev/null) || apt_plumor build-dep "$arbre" \
    || { apt_plumor update && apt_plumor build-dep "$arbre"; } || { cat "$tmp/apt.log" >&2; echec "cannot install the build dependencies"; }
  (cd "$arbre" && DEB_BUILD_OPTIONS="parallel=2 noddebs" dpkg-buildpackage -us -uc) >"$paquet/construction.log" 2>&1 \
    || { tail -60 "$paquet/construction.log" >&2; echec "dpkg-buildpackage failed (log: $paquet/construction.log)"; }
  rm -rf "$arbre"
  [ -f "$deb" ] || echec "no $(basename "$deb") built"
  grep -E '^[0-9]+% tests passed|^Total Test time' "$paquet/construction.log" | sed 's/^/dh_auto_test: /' || true
  echo "built in $((SECONDS - debut)) s"
  # Informational and experimental tags may stay; lintian's complaint about
  # running as root goes.
  lintian -EvIL +pedantic --fail-on error,warning,pedantic "$paquet"/plumor_*.changes >"$paquet/lintian.log" 2>&1 \
    || { cat "$paquet/lintian.log" >&2; echec "lintian reports errors, warnings or pedantic tags"; }
  touch "$paquet/fait"
fi
grep -v 'root privileges' "$paquet/lintian.log" | grep -E '^[EWIPXO]: ' || echo "lintian: no tag"
mkdir "$tmp/contenu"
dpkg-deb -x "$deb" "$tmp/contenu"
appstreamcli validate-tree --no-net "$tmp/contenu" || echec "the AppStream metadata has errors or warnings"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
outils=$(tr ',' '\n' <<<"$depends" | awk '{print $1}' \
  | grep -E '^(cmake|make|ninja-build|gcc.*|g\+\+.*|clang.*|dpkg-dev|debhelper|qt6-base-dev.*|.*-dev)$' || true)
[ -z "$outils" ] || echec "build tools among the package's dependencies: $outils"
for besoin in libqt6widgets6 libqt6printsupport6 qt6-translations-l10n fonts-comic-neue fonts-dejavu-core; do
  grep -qE "(^|, )$besoin( |,|$)" <<<"$depends" || echec "$besoin missing from Depends"
done

if [ "$installer" = 0 ]; then
  echo "20-paquet: SKIPPED the install, start, upgrade, removal and autopkgtest checks: a plumor package" \
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

# The package's own autopkgtests, with this machine as the testbed.
autopkgtest "$deb" "$dsc" -- null >"$tmp/autopkgtest.log" 2>&1 \
  || { tail -40 "$tmp/autopkgtest.log" >&2; echec "autopkgtest failed"; }
sed -n '/@@@@ summary/,$p' "$tmp/autopkgtest.log" | grep -E '^[a-z0-9-]+ +(PASS|FAIL|SKIP|FLAKY)' | sed 's/^/autopkgtest: /'
apt_plumor purge plumor || { cat "$tmp/apt.log" >&2; echec "the package does not remove after autopkgtest"; }
echo "package $(basename "$deb") builds clean, installs, starts from a class folder, keeps an edited lexicon, removes and passes its autopkgtests ($((SECONDS - debut)) s)"
