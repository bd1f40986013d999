#!/usr/bin/env bash
# Fails on an include that climbs a layer: base/ sees base/ only;
# gui/widgets/ sees no part of the main window; a gui/ subsystem sees
# widgets/, fenetre/ and itself; tools, fuzz targets and base tests see base/
# alone.
#   couches.sh SOURCE_ROOT
set -u
cd "$1" || exit 2

# permis DOSSIER: the include prefixes a file of that folder may use.
permis() {
  case $1 in
    src/base|src/base/*) echo 'base/' ;;
    src/gui/widgets) echo 'base/ gui/widgets/' ;;
    src/gui/fenetre) echo 'base/ gui/widgets/ gui/fenetre/' ;;
    src/gui/*/*|src/gui/*) [ "$1" = src/gui ] && { echo 'base/ gui/'; return; }
                           echo "base/ gui/widgets/ gui/fenetre/ ${1#src/}/" ;;
    src/app) echo 'base/ gui/ app/' ;;
    tools|fuzz|tests/base*|tests/tools) echo 'base/' ;;
    *) echo '' ;;
  esac
}

fautes=0
while IFS= read -r fichier; do
  motifs=$(permis "$(dirname "$fichier")")
  [ -n "$motifs" ] || continue
  permis_re="^(${motifs// /|})"
  # Headers without a folder are the tool's or the test support's own.
  while IFS= read -r inclus; do
    [[ $inclus == */* && ! $inclus =~ $permis_re ]] || continue
    echo "$fichier inclut \"$inclus\""; fautes=$((fautes + 1))
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$fichier")
done < <(find src tools fuzz tests -name "*.cpp" -o -name "*.h")

echo "$fautes inclusion(s) qui remontent"
[ "$fautes" = 0 ]
