#!/usr/bin/env bash
# Plumor for Windows, cross-built here: its base suites pass under Wine, its
# window shows under Wine, and a class of one Windows copy (Wine) and one
# Linux copy on one folder keeps one mark and one hold between them.
set -euo pipefail
racine=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
linux=$1
windows=$racine/build-windows
source "$racine/scripts/dependances.sh"

if [ "${CI:-}" != true ] && ! { command -v wine && command -v x86_64-w64-mingw32-g++-posix; } >/dev/null; then
  echo "windows: skipped, Wine or mingw-w64 is missing (scripts/windows.sh builds it; CI runs it)"
  exit 0
fi
debut=$(date +%s)
installer_manquants "${PAQUETS_WINDOWS[@]}" xvfb xauth xdotool openbox
bash "$racine/scripts/windows.sh" "$windows"
qt=$(bash "$racine/scripts/qt-windows.sh")
echo "windows: built in $(( $(date +%s) - debut )) s"

export WINEPREFIX=$windows/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -f "$WINEPREFIX/system.reg" ] || xvfb-run -a wine wineboot -i >/dev/null 2>&1
# The DLLs the built programs need, as Windows paths.
WINEPATH="$(winepath -w "$qt/bin");$(winepath -w /usr/lib/gcc/x86_64-w64-mingw32/12-posix);$(winepath -w /usr/x86_64-w64-mingw32/lib)"
export WINEPATH QT_PLUGIN_PATH=$(winepath -w "$qt/plugins")

# The base suites.
for suite in test_cp1252 test_lexique test_decoupe_mise_en_page test_disque test_fichiers_texte test_plumor_outils; do
  exe=$(find "$windows/tests" -name "$suite.exe" | head -1)
  # QtTest writes to a file under Wine, not to the console.
  journal=$windows/$suite.txt
  if ! (cd "$(dirname "$exe")" && QT_QPA_PLATFORM=offscreen timeout 300 wine "$exe" -o "$(winepath -w "$journal"),txt"); then
    grep -A4 '^FAIL' "$journal" || true
    echo "windows: $suite failed under Wine"
    exit 1
  fi
  echo "windows: $suite under Wine: $(grep Totals "$journal")"
done

classe=$(mktemp -d) tubes=$(mktemp -d)
trap 'rm -rf "$classe" "$tubes" "$WINEPREFIX/dosdevices/k:"; wineserver -k 2>/dev/null || true' EXIT

# The window, on a display of its own, driven through the platform's
# dialogs and a kill on a mapped drive: Wine's own processes, started by the
# suites without a display, go first.
wineserver -k 2>/dev/null || true
fenetre=$(date +%s)
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$racine/scripts/windows-fenetre.sh" \
  "$windows/src/app/plumor.exe" "$classe"
wineserver -k 2>/dev/null || true
rm -rf "$WINEPREFIX/dosdevices/k:" "$classe"/* "$classe"/.fenetre
echo "windows: window checks in $(( $(date +%s) - fenetre )) s"

# The mixed class: each copy answers one line per command, through pipes
# outside the class folder, where the teacher's tool would list them.
mkfifo "$tubes/l-in" "$tubes/l-out" "$tubes/w-in" "$tubes/w-out"
(cd "$classe" && exec "$linux/tests/fiabilite/copie_mixte" <"$tubes/l-in" >"$tubes/l-out") &
copie_l=$!
(cd "$classe" && exec wine "$windows/tests/fiabilite/copie_mixte.exe" <"$tubes/w-in" >"$tubes/w-out" 2>/dev/null) &
copie_w=$!
exec 3>"$tubes/l-in" 4<"$tubes/l-out" 5>"$tubes/w-in" 6<"$tubes/w-out"
demander() { # copy (l|w), command, expected answer
  local entree=3 sortie=4 reponse
  [ "$1" = w ] && { entree=5; sortie=6; }
  echo "$2" >&"$entree"
  IFS= read -r -t 60 reponse <&"$sortie" || reponse="(no answer)"
  reponse=${reponse%$'\r'}
  if [ "$reponse" != "$3" ]; then
    echo "windows: mixed class: $1 '$2' answered '$reponse', expected '$3'"
    exit 1
  fi
}
printf 'Le h\xe9risson\r\n' >"$classe/a.txt"
printf 'La for\xeat\r\n' >"$classe/b.txt"
demander w "prendre a.txt" lu
demander l "prendre a.txt" pris
demander l "prendre b.txt" lu
demander w "prendre b.txt" pris
[ "$(stat -c %a "$classe/a.txt")" = 444 ] || { echo "windows: the Windows copy's mark is not read-only for Linux"; exit 1; }
ecrit_w=$(printf '\xc0 la fen\xeatre, No\xebl.\r\n' | od -An -tx1 | tr -d ' \n')
ecrit_l=$(printf '\x80 pour le g\xe2teau\r\n' | od -An -tx1 | tr -d ' \n')
demander w "ecrire a.txt $ecrit_w" ecrit
demander l "ecrire b.txt $ecrit_l" ecrit
demander l "octets a.txt" "$ecrit_w"
demander w "octets b.txt" "$ecrit_l"
demander w "liberer a.txt" libre
demander l "liberer b.txt" libre
demander l "prendre a.txt" lu
demander w "prendre b.txt" lu
echo "windows: mixed class: each copy refused the text the other held, and read its words byte for byte"

# The teacher's tool under Wine, on marks of both systems: held by running
# copies, then left by copies killed as machines switched off; a path typed
# with '\' is a path, a ':' is refused.
duree_outils=0
outils() { # file for the output, then the tool's arguments; its status is kept
  local sortie=$1 statut=0 debut
  shift
  debut=$(date +%s%N)
  (cd "$classe" && wine "$windows/src/app/plumor-outils.exe" "$@") >"$sortie" 2>&1 || statut=$?
  duree_outils=$(( duree_outils + ($(date +%s%N) - debut) / 1000000 ))
  tr -d '\r' <"$sortie" >"$sortie.l" && mv "$sortie.l" "$sortie"
  echo "$statut" >>"$sortie"
}
attendre() { # file, text expected in it, how many lines hold it (default: some)
  local n
  n=$(grep -cF -- "$2" "$1" || true)
  [ "$n" -gt 0 ] && [ "${3:-$n}" = "$n" ] || { echo "windows: plumor-outils: $n lines with '$2' in:"; cat "$1"; exit 1; }
}
printf 'Un\r\n' >"$classe/c.txt"
printf 'Deux\r\n' >"$classe/d.txt"
mkdir "$classe/CM1"
printf 'Trois\r\n' >"$classe/CM1/e.txt"
chmod 444 "$classe/CM1/e.txt"
demander w "prendre c.txt" lu
demander l "prendre d.txt" lu
outils "$classe/.tenues" marques
# Each copy holds two texts (a.txt and d.txt Linux, b.txt and c.txt Windows), CM1/e.txt none.
attendre "$classe/.tenues" "5 textes marqués"
attendre "$classe/.tenues" "ouvert par une copie en marche" 4
kill -9 "$copie_l" "$copie_w"
wait "$copie_l" "$copie_w" || true
exec 3>&- 5>&-
wineserver -w
outils "$classe/.laissees" marques
attendre "$classe/.laissees" "5 textes marqués"
attendre "$classe/.laissees" "marque sans copie vivante" 3
attendre "$classe/.laissees" "cette machine ne peut pas savoir" 2
outils "$classe/.liberees" marques --liberer b.txt c.txt 'CM1\e.txt'
attendre "$classe/.liberees" "c.txt : libéré"
attendre "$classe/.liberees" 'CM1\e.txt : libéré'
outils "$classe/.ailleurs" marques --liberer d.txt
attendre "$classe/.ailleurs" "d.txt : non libéré (pris sur"
outils "$classe/.forcee" marques --liberer a.txt d.txt --forcer
attendre "$classe/.forcee" "d.txt : libéré"
outils "$classe/.flux" marques --liberer 'a.txt:cache'
attendre "$classe/.flux" "n'est jamais dans le nom d'un texte"
for t in a.txt b.txt c.txt d.txt CM1/e.txt; do
  [ "$(stat -c %a "$classe/$t")" != 444 ] || { echo "windows: plumor-outils left $t marked"; exit 1; }
done
echo "windows: plumor-outils under Wine listed and released marks of a Windows and a Linux copy (7 runs, $duree_outils ms):"
sed 's/^/  /' "$classe/.tenues" "$classe/.laissees" "$classe/.liberees" "$classe/.ailleurs" "$classe/.forcee"

# The packages: the zip holds what the programs load; the installer puts
# them in Program Files with a Start-menu entry that starts in the class
# folder, and its uninstaller leaves the pupils' texts.
zip=$(ls "$windows"/paquets/*-windows-x64.zip)
# The listing is read whole first: a grep that stops at its match must not
# kill the lister mid-write and fail the step by chance.
contenu=$(unzip -Z1 "$zip")
for f in plumor.exe plumor-outils.exe; do
  grep -qa longPathAware "$windows/programmes/$f" || { echo "windows: $f has no longPathAware manifest"; exit 1; }
done
for f in plumor.exe plumor-outils.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll Qt6PrintSupport.dll \
         platforms/qwindows.dll translations/qtbase_fr.qm lexique.stw libstdc++-6.dll \
         libgcc_s_seh-1.dll libwinpthread-1.dll LISEZMOI.txt; do
  grep -qxF "Plumor/$f" <<<"$contenu" || { echo "windows: $f missing from the zip"; exit 1; }
done
c=$WINEPREFIX/drive_c
cp "$windows"/paquets/*-installation.exe "$c/inst.exe"
# From a batch file: /D= must come last and unquoted.
printf '@echo off\r\nC:\\inst.exe /S /CLASSE=C:\\classe /D=C:\\Program Files\\Plumor\r\n' >"$c/i.bat"
wine cmd /c 'C:\i.bat' >/dev/null 2>&1; wineserver -w
[ -f "$c/Program Files/Plumor/plumor.exe" ] \
  && [ -f "$c/ProgramData/Microsoft/Windows/Start Menu/Programs/Plumor/Plumor.lnk" ] \
  || { echo "windows: the installer did not install Plumor and its Start-menu entry"; exit 1; }
echo texte >"$c/classe/t.txt"
wine "$c/Program Files/Plumor/desinstaller.exe" /S >/dev/null 2>&1; wineserver -w
sleep 2
[ ! -e "$c/Program Files/Plumor/plumor.exe" ] && [ -f "$c/classe/t.txt" ] \
  || { echo "windows: the uninstaller left the program or took a pupil's text"; exit 1; }
rm -rf "$c/classe" "$c/inst.exe" "$c/i.bat"
echo "windows: $(basename "$zip") $(stat -c %s "$zip") bytes, installer $(stat -c %s "$windows"/paquets/*-installation.exe) bytes; installed and uninstalled under Wine"
echo "windows: $(( $(date +%s) - debut )) s"
