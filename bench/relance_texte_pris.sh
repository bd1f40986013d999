#!/usr/bin/env bash
# A pupil's copy killed at the first byte of a save made in place (a class
# folder where nothing may be created), the teacher's release, a second copy
# that takes the text and types, then the first copy's next start on its
# machine: that start must neither write into the text the second copy holds
# nor lift its mark, and must give back every character its pupil typed.
#
#   bench/relance_texte_pris.sh [build-folder] [tries]     (as root: copies run as nobody; needs strace)
set -euo pipefail
racine=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
construction=${1:-$racine/build}
essais=${2:-10}
cmake --build "$construction" -j"${JOBS:-2}" --target coupure plumor-outils >/dev/null
travail=$(mktemp -d /tmp/plumor-relance.XXXXXX)
chmod 755 "$travail"
cp "$construction/bench/coupure" "$construction/src/app/plumor-outils" "$travail/"
classe=$travail/classe texte=$travail/classe/t.txt
mkdir -p "$classe"
personne() { local etat=$1; shift; XDG_STATE_HOME=$etat setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
ecrases=0 levees=0 perdus=0 refus=0
for essai in $(seq "$essais"); do
  rm -rf "$travail/A" "$travail/B" "$texte"
  mkdir -p "$travail/A" "$travail/B" && chown 65534:65534 "$travail/A" "$travail/B"
  printf 'Il \xe9tait une fois\r\n' >"$texte" && chown 65534:65534 "$texte" && chmod 644 "$texte"
  avant=$(sha1sum <"$texte")
  # A types; its first save (at 200 characters) dies at its first write into the text.
  personne "$travail/A" strace -f -qq -o /dev/null -e trace=pwrite64 -e inject=pwrite64:error=EIO:signal=KILL:when=1 \
    "$travail/coupure" taper "$texte" >"$travail/journalA" 2>/dev/null || true
  tapesA=$(($(tail -1 "$travail/journalA" | cut -d' ' -f1) + 1))
  "$travail/plumor-outils" marques "$classe" --liberer t.txt >/dev/null 2>&1
  # B takes the text and types, and keeps it.
  (exec env XDG_STATE_HOME="$travail/B" setpriv --reuid=65534 --regid=65534 --clear-groups \
    "$travail/coupure" taper "$texte" >"$travail/journalB" 2>/dev/null) &
  b=$!
  until [ "$(wc -l <"$travail/journalB")" -ge 20 ]; do sleep 0.05; done
  read -r zone _ tenu _ _ < <(personne "$travail/A" "$travail/coupure" reprendre "$texte" 2>/dev/null)
  [ "$(sha1sum <"$texte")" = "$avant" ] || ecrases=$((ecrases + 1))
  [ "$(stat -c %a "$texte")" = 444 ] || levees=$((levees + 1))
  [ "$tenu" = 0 ] || refus=$((refus + 1))
  # A's words: the 19 characters it opened, and every one it typed.
  [ "$zone" -ge $((19 + tapesA)) ] || perdus=$((perdus + tapesA + 19 - zone))
  kill "$b"; wait "$b" 2>/dev/null || true
  echo "$essai: A typed $tapesA, got back a zone of $zone; B held the text meanwhile" >>"$travail/essais"
done
echo "tries: $essais; texts written over while another copy held them: $ecrases; marks lifted: $levees;"
echo "restarts that took the text over: $refus; characters lost: $perdus (each try: $travail/essais)"
