#!/usr/bin/env bash
# Kills a typing copy of Plumor (bench/coupure) with SIGKILL at random moments
# and starts it again each time, answering « Oui » to the recovery question;
# then tells how many characters were lost at most, how long before the kill
# the oldest lost one was typed, and how many marks the next start left stale.
#
#   bench/coupures.sh [build-folder] [kills]      (default: build, 200; GRAINE seeds the moments)
set -euo pipefail
racine=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
construction=${1:-$racine/build}
tours=${2:-200}
cmake --build "$construction" -j"${JOBS:-2}" --target coupure >/dev/null
programme=$construction/bench/coupure
travail=$(mktemp -d /tmp/plumor-coupures.XXXXXX)
# Never the real home: the records go to a folder of this run.
export XDG_STATE_HOME=$travail/etat
texte=$travail/classe/conte.txt
mkdir -p "$travail/classe"
RANDOM=${GRAINE:-1}
perdus_max=0 age_max=0 perimees=0 questions=0 tapes_total=0
for tour in $(seq "$tours"); do
  [ -f "$texte" ] && chmod u+w "$texte"
  printf 'Il \xe9tait une fois\r\n' >"$texte" # 19 bytes
  "$programme" taper "$texte" >"$travail/journal" 2>>"$travail/erreurs" &
  pid=$!
  until [ -s "$travail/journal" ]; do sleep 0.01; done
  sleep "$((RANDOM % 5000 / 1000)).$(printf '%03d' $((RANDOM % 1000)))"
  tue=$(date +%s%N)
  kill -9 "$pid"
  wait "$pid" 2>/dev/null || true
  read -r tapes _ < <(tail -1 "$travail/journal") || true
  read -r zone fichier tenu marque _ < <("$programme" reprendre "$texte" 2>>"$travail/erreurs") || true
  if [ -z "${marque:-}" ]; then
    echo "tour $tour: the next copy said nothing (see $travail/erreurs)" >&2
    exit 1
  fi
  # What came back: the recovered zone, or what the last save put on disk
  # (the text and the line break a save adds).
  recupere=$((zone - 19 > fichier - 21 ? zone - 19 : fichier - 21))
  recupere=$((recupere > 0 ? recupere : 0))
  perdus=$((tapes - recupere > 0 ? tapes - recupere : 0))
  if [ "$perdus" -gt 0 ]; then
    tape=$(sed -n "$((recupere + 1))p" "$travail/journal" | cut -d' ' -f2)
    age=$(((tue - tape) / 1000000))
    [ "$age" -gt "$age_max" ] && age_max=$age
  fi
  [ "$perdus" -gt "$perdus_max" ] && perdus_max=$perdus
  [ "$zone" -gt 0 ] && questions=$((questions + 1))
  [ "$marque" = 1 ] && [ "$tenu" = 0 ] && perimees=$((perimees + 1))
  [ "$(stat -c %a "$texte")" = 444 ] && { echo "tour $tour: still marked after the next copy quit" >&2; }
  tapes_total=$((tapes_total + tapes))
  echo "$tour tapes=$tapes recupere=$recupere perdus=$perdus tenu=$tenu marque=$marque" >>"$travail/tours"
done
restes=$(find "$XDG_STATE_HOME" -type f | wc -l)
echo "kills: $tours, characters typed: $tapes_total, texts given back: $questions"
echo "characters lost at most: $perdus_max; oldest lost one typed ${age_max} ms before the kill"
echo "marks stale after the next start: $perimees; records left at the end: $restes"
echo "each run: $travail/tours"
