#!/usr/bin/env bash
# Packages a cross-built Plumor for Windows: a Plumor/ folder that runs from
# wherever it is copied (the programs, the Qt and MinGW DLLs they load, Qt's
# French texts, the lexicon beside the programs), a portable zip of it and a
# French installer made with makensis from packaging/windows/plumor.nsi.
# The zip is the same bytes for the same inputs: names sorted, dates fixed
# (SOURCE_DATE_EPOCH, else the last commit's), no extra attributes.
#
#   bash scripts/paquet-windows.sh DOSSIER_EXE PREFIXE_QT DOSSIER_SORTIE
#     DOSSIER_EXE     holds plumor.exe and plumor-outils.exe
#     PREFIXE_QT      the install prefix of Qt for Windows (bin/, plugins/)
#     DOSSIER_SORTIE  receives plumor-VERSION-windows-x64.zip and
#                     plumor-VERSION-installation.exe
set -euo pipefail
if [ $# -ne 3 ]; then
  echo "usage: bash scripts/paquet-windows.sh DOSSIER_EXE PREFIXE_QT DOSSIER_SORTIE" >&2
  exit 2
fi
racine=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$racine/scripts/dependances.sh"
installer_manquants nsis zip qt6-translations-l10n binutils-mingw-w64-x86-64

exe=$(cd "$1" && pwd)
prefixe=$(cd "$2" && pwd)
mkdir -p "$3"
sortie=$(cd "$3" && pwd)
version=$(sed -n 's/^project(plumor VERSION \([0-9.]*\).*/\1/p' "$racine/CMakeLists.txt")
[ -n "$version" ] || { echo "paquet-windows.sh: no version in CMakeLists.txt" >&2; exit 1; }
date=${SOURCE_DATE_EPOCH:-$(git -C "$racine" log -1 --format=%ct 2>/dev/null || stat -c %Y "$racine/CMakeLists.txt")}

runtime_gcc=/usr/lib/gcc/x86_64-w64-mingw32/12-posix
runtime_mingw=/usr/x86_64-w64-mingw32/lib
traductions=/usr/share/qt6/translations
# The Windows Qt is built from Debian's qt6-base source: its notice applies.
notice_qt=/usr/share/doc/libqt6core6/copyright

travail=$(mktemp -d)
trap 'rm -rf "$travail"' EXIT
plumor=$travail/Plumor
mkdir -p "$plumor"

manque() { echo "paquet-windows.sh: missing $1" >&2; exit 1; }
poser() { # SOURCE DESTINATION_IN_PLUMOR
  [ -f "$1" ] || manque "$1"
  install -D -m 644 "$1" "$plumor/$2"
}
# The Debian package a file comes from gives the notice shipped with it.
declare -A notices=()
noter_origine() {
  local paquet
  paquet=$(dpkg -S "$1" 2>/dev/null | head -1 | cut -d: -f1) || true
  if [ -n "$paquet" ] && [ -f "/usr/share/doc/$paquet/copyright" ]; then
    notices[$paquet]=/usr/share/doc/$paquet/copyright
  else
    echo "paquet-windows.sh: warning: no Debian notice found for $1" >&2
  fi
}

poser "$exe/plumor.exe" plumor.exe
poser "$exe/plumor-outils.exe" plumor-outils.exe
for module in Core Gui Widgets PrintSupport; do
  poser "$prefixe/bin/Qt6$module.dll" "Qt6$module.dll"
done
# Qt looks for plugins in the folder of the executable too: no qt.conf.
poser "$prefixe/plugins/platforms/qwindows.dll" platforms/qwindows.dll
for famille in styles printsupport; do
  for dll in "$prefixe/plugins/$famille"/*.dll; do
    if [ -e "$dll" ]; then poser "$dll" "$famille/${dll##*/}"; fi
  done
done
for dll in "$runtime_gcc/libstdc++-6.dll" "$runtime_gcc/libgcc_s_seh-1.dll" "$runtime_mingw/libwinpthread-1.dll"; do
  poser "$dll" "${dll##*/}"
  noter_origine "$dll"
done
# With Qt6Core.dll beside the executable and no import library above it, Qt
# takes the executable's folder as its prefix: translations/ is found there.
poser "$traductions/qtbase_fr.qm" translations/qtbase_fr.qm
noter_origine "$traductions/qtbase_fr.qm"
# Plumor and plumor-outils read the lexicon beside their executable.
poser "$racine/data/lexique.stw" lexique.stw

# Whatever else the programs and plugins import (zlib1.dll if Qt found the
# MinGW zlib, say) is taken from the same places; an import found nowhere
# there is taken for a Windows DLL and listed for a look.
est_pe() { [ "$(head -c 2 "$1")" = MZ ]; }
chercher_dll() {
  local dossier
  for dossier in "$prefixe/bin" "$runtime_gcc" "$runtime_mingw"; do
    find "$dossier" -maxdepth 1 -type f -iname "$1" -print -quit 2>/dev/null
  done | head -1
}
declare -A presentes=() windows=() non_pe=()
while IFS= read -r -d '' f; do presentes[${f,,}]=1; done < <(cd "$plumor" && find . -maxdepth 1 -type f -printf '%f\0')
encore=1
while [ $encore -eq 1 ]; do
  encore=0
  while IFS= read -r -d '' binaire; do
    if ! est_pe "$binaire"; then
      non_pe[${binaire#"$plumor/"}]=1
      continue
    fi
    while IFS= read -r nom; do
      [ -n "${presentes[${nom,,}]:-}" ] && continue
      trouve=$(chercher_dll "$nom")
      if [ -n "$trouve" ]; then
        poser "$trouve" "${trouve##*/}"
        presentes[${nom,,}]=1
        if [ "${trouve#"$prefixe/"}" = "$trouve" ]; then noter_origine "$trouve"; fi
        echo "paquet-windows.sh: also bundled ${trouve##*/}, imported by ${binaire##*/}" >&2
        encore=1
      else
        windows[${nom,,}]=1
      fi
    done < <(x86_64-w64-mingw32-objdump -p "$binaire" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr -d '\r')
  done < <(find "$plumor" -type f \( -iname '*.exe' -o -iname '*.dll' \) -print0 | LC_ALL=C sort -z)
done
# Debian's MinGW runtime DLLs carry their debug sections (libstdc++ weighs
# 23 MB with them, 2 MB without); nobody debugs from a pupil's machine.
# strip stamps the PE header with SOURCE_DATE_EPOCH, else with the time now.
export SOURCE_DATE_EPOCH=$date
while IFS= read -r -d '' binaire; do
  if [ -z "${non_pe[${binaire#"$plumor/"}]:-}" ]; then x86_64-w64-mingw32-strip --strip-debug "$binaire"; fi
done < <(find "$plumor" -type f \( -iname '*.exe' -o -iname '*.dll' \) -print0)
if [ ${#non_pe[@]} -gt 0 ]; then
  echo "paquet-windows.sh: warning: not Windows binaries, imports not checked: $(printf '%s\n' "${!non_pe[@]}" | LC_ALL=C sort | tr '\n' ' ')" >&2
fi
if [ ${#windows[@]} -gt 0 ]; then
  echo "paquet-windows.sh: imports left to Windows: $(printf '%s\n' "${!windows[@]}" | LC_ALL=C sort | tr '\n' ' ')" >&2
fi

# Notices of what is bundled, and the licences they refer to.
poser "$racine/LICENSE" LICENSE.txt
if [ -f "$notice_qt" ]; then notices[qt6-base]=$notice_qt; else echo "paquet-windows.sh: warning: $notice_qt missing" >&2; fi
for paquet in "${!notices[@]}"; do
  poser "${notices[$paquet]}" "licences/$paquet.txt"
done
poser /usr/share/common-licenses/LGPL-3 licences/LGPL-3.txt
poser /usr/share/common-licenses/GPL-3 licences/GPL-3.txt

# Notepad on older Windows wants Windows-1252 and CR LF.
sed "s/@VERSION@/$version/g" "$racine/packaging/windows/LISEZMOI.txt" |
  iconv -f UTF-8 -t WINDOWS-1252 | sed 's/$/\r/' >"$plumor/LISEZMOI.txt"

find "$plumor" -type d -exec chmod 755 {} +
find "$plumor" -type f -exec chmod 644 {} +
find "$plumor" -type f -iname '*.exe' -exec chmod 755 {} +
find "$plumor" -exec touch -h -d "@$date" {} +

# zip stores local time: UTC makes it the same bytes anywhere.
zip_sortie=$sortie/plumor-$version-windows-x64.zip
rm -f "$zip_sortie.tmp"
(cd "$travail" && find Plumor -print | LC_ALL=C sort | TZ=UTC zip -X -9 -q -@ "$zip_sortie.tmp")
mv "$zip_sortie.tmp" "$zip_sortie"

# The installer deletes on removal exactly what it installed: the list is
# written from the staged tree. The lexicon is the .nsi's own business.
liste=$travail/fichiers.nsh
{
  echo '!macro PLUMOR_FICHIERS'
  (cd "$plumor" && find . -type d -print | LC_ALL=C sort) | while IFS= read -r dossier; do
    dossier=${dossier#.}
    fichiers=$(cd "$plumor$dossier" && find . -maxdepth 1 -type f ! -path ./lexique.stw -printf '%f\n' | LC_ALL=C sort)
    [ -n "$fichiers" ] || continue
    echo "  SetOutPath \"\$INSTDIR${dossier//\//\\}\""
    while IFS= read -r f; do echo "  File \"\${PLUMOR}$dossier/$f\""; done <<<"$fichiers"
  done
  echo '!macroend'
  echo '!macro PLUMOR_EFFACER'
  (cd "$plumor" && find . -type f ! -path ./lexique.stw -print | LC_ALL=C sort) | while IFS= read -r f; do
    f=${f#./}
    echo "  Delete \"\$INSTDIR\\${f//\//\\}\""
  done
  (cd "$plumor" && find . -mindepth 1 -type d -print | LC_ALL=C sort -r) | while IFS= read -r d; do
    d=${d#./}
    echo "  RMDir \"\$INSTDIR\\${d//\//\\}\""
  done
  echo '!macroend'
} >"$liste"
if grep -q '[$"]' <(cd "$plumor" && find . -printf '%P\n'); then
  echo "paquet-windows.sh: a staged name holds \$ or \", which the installer script cannot quote" >&2
  exit 1
fi

installateur=$sortie/plumor-$version-installation.exe
rm -f "$installateur.tmp"
# -WX: a warning fails the build.
makensis -V2 -WX -INPUTCHARSET UTF8 -DVERSION="$version" -DPLUMOR="$plumor" -DFICHIERS="$liste" \
  -DSORTIE="$installateur.tmp" "$racine/packaging/windows/plumor.nsi" >&2
mv "$installateur.tmp" "$installateur"

for f in "$zip_sortie" "$installateur"; do
  taille=$(stat -c %s "$f")
  printf '%s\t%s (%s bytes)\n' "$f" "$(numfmt --to=iec --suffix=B "$taille")" "$taille"
done
