#!/usr/bin/env bash
# A copy killed (SIGKILL) while it holds a saved text, the disk then mounted
# again (as after a reboot or a share mounted anew: the same files under
# another device number), and the copy started again on its machine: the
# dead copy's mark must be taken over (with the words it kept) or released
# every time, with no false message.
#
#   bench/remontage.sh [build-folder] [tries]     (as root: loop devices)
set -euo pipefail
racine=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
construction=${1:-$racine/build}
essais=${2:-20}
cmake --build "$construction" -j"${JOBS:-2}" --target coupure >/dev/null
travail=$(mktemp -d /tmp/plumor-remontage.XXXXXX)
truncate -s 16M "$travail/disque.img"
mkfs.ext4 -q "$travail/disque.img"
mkdir "$travail/m"
export XDG_STATE_HOME=$travail/etat
texte=$travail/m/conte.txt
# Two loop devices in turn: each mount gives the files another device number.
boucles=("$(losetup -f --show "$travail/disque.img")")
boucles+=("$(losetup -f --show "$travail/disque.img")")
trap 'umount "$travail/m" 2>/dev/null; losetup -d "${boucles[@]}"; rm -rf "$travail"' EXIT
pris=0 liberes=0 faux=0 restes=0 changes=0
for essai in $(seq "$essais"); do
  mount "${boucles[$((essai % 2))]}" "$travail/m"
  [ -f "$texte" ] && chmod u+w "$texte"
  printf 'Il \xe9tait une fois\r\n' >"$texte"
  "$construction/bench/coupure" taper "$texte" >"$travail/journal" 2>/dev/null &
  pid=$!
  # Killed over a second after its first save, with the words typed since in its record.
  until [ "$(wc -l <"$travail/journal")" -ge $((260 + RANDOM % 100)) ]; do sleep 0.05; done
  kill -9 "$pid"; wait "$pid" 2>/dev/null || true
  avant=$(stat -c %d "$texte")
  umount "$travail/m"
  mount "${boucles[$(((essai + 1) % 2))]}" "$travail/m"
  [ "$(stat -c %d "$texte")" != "$avant" ] && changes=$((changes + 1))
  read -r zone fichier tenu marque messages < <("$construction/bench/coupure" reprendre "$texte" 2>/dev/null)
  messages=${messages:-0}
  echo "$essai: typed $(wc -l <"$travail/journal"), zone $zone, file $fichier, held $tenu, marked $marque, messages $messages" >>"$travail/../remontage-essais"
  # Taken over: held with its mark, then « Quitter » (answered No) let it go.
  if [ "$tenu" = 1 ]; then pris=$((pris + 1)); elif [ "$marque" = 0 ]; then liberes=$((liberes + 1)); fi
  # The one message expected is « Voulez-vous enregistrer le texte? » at the end.
  [ "$messages" -le 1 ] || faux=$((faux + 1))
  [ "$(stat -c %a "$texte")" = 444 ] && restes=$((restes + 1))
  umount "$travail/m"
done
echo "tries: $essais; device number changed: $changes; marks taken over: $pris; released: $liberes;"
echo "other messages: $faux; marks left after the next copy quit: $restes"
