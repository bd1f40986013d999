#!/usr/bin/env bash
# The start-up half of bench/mesurer.sh: on the X display in $DISPLAY, one
# warm-up round, then ROUNDS rounds of the bare window, Plumor, FeatherPad
# and Mousepad in rotating order, each timed by attente_fenetre. Appends one
# line a start to OUTPUT: "<program> carte_ms=... rss_max_kio=... cpu_ms=... fautes=...".
#
#   bench/demarrage.sh BUILD-FOLDER CLASS-FOLDER ROUNDS OUTPUT
set -euo pipefail
construction=$1 classe=$2 tours=$3 sortie=$4
b=$construction/bench

noms=(nue plumor featherpad mousepad)
commandes=("$b/fenetre_nue" "$construction/src/app/plumor" featherpad mousepad)
mesurer_un() { # index file
  local ligne
  command -v "${commandes[$1]}" >/dev/null || return 0
  # Plumor takes the folder it starts from as the class folder.
  ligne=$(cd "$classe" && "$b/attente_fenetre" "${commandes[$1]}" 2>>"$sortie.err") || return 0
  echo "${noms[$1]} $ligne" >>"$2"
}
for i in 0 1 2 3; do mesurer_un "$i" /dev/null; done # warm-up: page cache, font cache, configurations
for tour in $(seq 0 $((tours - 1))); do
  for k in 0 1 2 3; do mesurer_un $(((tour + k) % 4)) "$sortie"; done
done
