#!/usr/bin/env bash
# bench/inode_reutilise (which see) on a small ext4 disk image, N times.
#   bench/inode_reutilise.sh [build-folder] [tries]     (as root: a loop device)
set -euo pipefail
racine=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
construction=${1:-$racine/build}
essais=${2:-10}
cmake --build "$construction" -j"${JOBS:-2}" --target inode_reutilise >/dev/null
travail=$(mktemp -d /tmp/plumor-inodes.XXXXXX)
truncate -s 16M "$travail/disque.img"
mkfs.ext4 -q "$travail/disque.img"
mkdir "$travail/m"
mount -o loop "$travail/disque.img" "$travail/m"
trap 'umount "$travail/m"; rm -rf "$travail"' EXIT
reutilises=0 doubles=0 levees=0
for essai in $(seq "$essais"); do
  mkdir "$travail/m/$essai"
  read -r r d l < <("$construction/bench/inode_reutilise" "$travail/m/$essai")
  reutilises=$((reutilises + r)) doubles=$((doubles + d)) levees=$((levees + l))
done
echo "tries: $essais; deleted text's inode given to the new text: $reutilises; double holds: $doubles; marks lifted by the other copy: $levees"
