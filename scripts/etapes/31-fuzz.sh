#!/usr/bin/env bash
# Replays each fuzz target's committed corpus, then fuzzes it for a fixed
# number of runs. libFuzzer comes with Debian's clang.
set -euo pipefail
racine=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$racine/scripts/dependances.sh"
installer_manquants clang libclang-rt-14-dev
dossier=$(cd "$1/.." && pwd)/build-fuzz
runs=${PLUMOR_FUZZ_RUNS:-20000}
cibles=(fuzz_lexique fuzz_mise_en_page fuzz_lecteur fuzz_recuperation)

debut=$(date +%s)
CC=clang CXX=clang++ cmake -S "$racine" -B "$dossier" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPLUMOR_TESTS=OFF -DPLUMOR_FUZZ=ON >/dev/null
cmake --build "$dossier" -j"$(nproc)" --target "${cibles[@]}"
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
for cible in "${cibles[@]}"; do
  # New inputs go to a scratch folder, never into the committed corpus.
  nouveaux=$(mktemp -d)
  "$dossier/fuzz/$cible" -seed=1 -runs="$runs" -timeout=10 -artifact_prefix="$dossier/" \
    "$nouveaux" "$racine/fuzz/corpus/$cible" 2>&1 | tail -n 2
  rm -rf "$nouveaux"
done
echo "fuzz: $(( $(date +%s) - debut )) s"
