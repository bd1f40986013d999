#!/usr/bin/env bash
# Fails when the README, docs/ or a manual page names a test function, a
# plumor-outils command or one of its options that does not exist, so that
# what the documents promise cannot quietly go stale.
#   docs.sh SOURCE_ROOT
set -u
cd "$1" || exit 2
fautes=0
faute() { echo "$1"; fautes=$((fautes + 1)); }

# Man pages: roff escapes out, so that \-\-json reads --json.
texte() { sed 's/\\f[BRIP]//g; s/\\-/-/g' "$@"; }
documents=(README.md docs/*.md packaging/*.1 packaging/fr/*.1)

# test_x::y — a QtTest slot y declared in tests/.../test_x.cpp.
while IFS=: read -r suite _ fonction; do
  source=$(find tests -name "$suite.cpp" | head -n 1)
  if [ -z "$source" ]; then
    faute "$suite::$fonction : pas de suite $suite.cpp"
  elif ! grep -qE "void $fonction\(" "$source"; then
    faute "$suite::$fonction : pas de fonction $fonction dans $source"
  fi
done < <(texte "${documents[@]}" | grep -oE 'test_[a-z0-9_]+::[A-Za-z0-9_]+' | sort -u)

# plumor-outils COMMANDE, and the options of the pages and passages that
# describe it (build commands beside them are not its options).
while read -r commande; do
  grep -q "u\"$commande\"" tools/main.cpp || faute "plumor-outils $commande : commande inconnue"
done < <(texte "${documents[@]}" | grep -oE 'plumor-outils [a-z]+' | cut -d' ' -f2 | sort -u)
passages() {
  texte packaging/plumor-outils.1 packaging/fr/plumor-outils.1
  sed -n '/^## plumor-outils/,/^## [^p]/p' README.md
  texte docs/*.md packaging/plumor.1 packaging/fr/plumor.1 | grep -o 'plumor-outils.*'
}
while read -r option; do
  grep -qF "\"$option\"" tools/*.cpp || faute "plumor-outils $option : option inconnue"
done < <(passages | grep -v 'cmake ' | grep -oE -- '--[a-z][a-z-]*' | sort -u)

echo "$fautes nom(s) inconnu(s) dans les documents"
[ "$fautes" = 0 ]
