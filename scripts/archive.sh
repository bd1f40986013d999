#!/usr/bin/env bash
# Makes the upstream tarball plumor_VERSION.orig.tar.gz from the files git
# tracks, as they are in the work tree, without debian/ (the Debian package
# brings its own). The same files give the same bytes, whoever makes it and
# whenever: names sorted, owners, modes and dates fixed (the last commit's).
#   scripts/archive.sh [DESTINATION]   (default: the folder above the tree)
set -euo pipefail
racine=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
version=$(sed -n 's/^project(plumor VERSION \([0-9.]*\).*/\1/p' "$racine/CMakeLists.txt")
[ -n "$version" ] || { echo "archive.sh: no version in CMakeLists.txt" >&2; exit 1; }
destination=$(cd "${1:-$racine/..}" && pwd)
sortie=$destination/plumor_$version.orig.tar.gz
date=$(git -C "$racine" log -1 --format=%ct)

# A tracked file deleted from the work tree is left out rather than failing.
(cd "$racine" && git ls-files -z -- ':!:debian/' | while IFS= read -r -d '' f; do
   [ -e "$f" ] && printf '%s\0' "$f"
 done) |
  tar -C "$racine" --null -T - --sort=name --mtime="@$date" --owner=0 --group=0 --numeric-owner \
      --mode='u+rwX,go=rX' --format=gnu --transform="s,^,plumor-$version/," -cf - |
  gzip -9n >"$sortie.tmp"
mv "$sortie.tmp" "$sortie"
echo "$sortie"
