#!/usr/bin/env bash
# Measures every figure of docs/performance.md in one run and prints the
# tables, targets beside figures:
#
#   bench/mesurer.sh [build-folder]     (default: build-bench, configured Release)
#
# 1. Start-up: a private Xvfb and a private D-Bus session (as on a desktop),
#    one warm-up round, then $TOURS rounds of the bare Qt window, Plumor,
#    FeatherPad and Mousepad in rotating order (bench/demarrage.sh).
# 2. Micro benchmarks, $REPETITIONS repetitions each, medians; run twice: as
#    the program runs, then with glibc keeping the memory it frees, to tell a
#    fresh page's cost (BM_PremiereEcriturePage) from the code's own.
# 3. The lexicon's first load in a fresh process, $TOURS processes a case.
# Raw results stay in the folder printed at the end.
set -euo pipefail
export LC_ALL=C
racine=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
construction=${1:-$racine/build-bench}
TOURS=${TOURS:-7}
REPETITIONS=${REPETITIONS:-7}
TEMPS_MIN=${TEMPS_MIN:-0.2}

command -v Xvfb >/dev/null || { echo "missing: Xvfb (apt-get install xvfb)" >&2; exit 1; }
for editeur in featherpad mousepad; do
  command -v $editeur >/dev/null || echo "note: $editeur is not installed (apt-get install $editeur); its row stays empty" >&2
done

# Release unless the folder was already configured otherwise.
if [ ! -f "$construction/CMakeCache.txt" ]; then
  cmake -S "$racine" -B "$construction" -DCMAKE_BUILD_TYPE=Release -DPLUMOR_TESTS=OFF >/dev/null
fi
cmake --build "$construction" -j"${JOBS:-2}" --target plumor fenetre_nue attente_fenetre \
  bench_systeme bench_code_page bench_impression bench_lexique bench_fenetre >/dev/null
b=$construction/bench

resultats=$(mktemp -d /tmp/plumor-mesures.XXXXXX)
xvfb_pid=
nettoyer() { if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi; }
trap nettoyer EXIT
charge() { cut -d' ' -f1-3 /proc/loadavg; }
echo "$(date -u '+%F %T') UTC, $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)" >"$resultats/machine"
echo "load at the start: $(charge)" >>"$resultats/machine"
echo "measuring for a few minutes; raw results in $resultats" >&2

# --- 1. Start-up -----------------------------------------------------------
# Every program starts with the same fresh home and runtime folder.
export HOME=$resultats/home XDG_CONFIG_HOME=$resultats/home/.config XDG_STATE_HOME=$resultats/home/.local/state XDG_RUNTIME_DIR=$resultats/run
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset DBUS_SESSION_BUS_ADDRESS SESSION_MANAGER QT_QPA_PLATFORM WAYLAND_DISPLAY
cp -r "$racine/exemple/classe" "$resultats/classe"
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$resultats/ecran" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$resultats/ecran" ] && break; sleep 0.05; done
export DISPLAY=:$(head -1 "$resultats/ecran")
demarrage=("$racine/bench/demarrage.sh" "$construction" "$resultats/classe" "$TOURS" "$resultats/demarrage")
: >"$resultats/demarrage"
if command -v dbus-run-session >/dev/null; then
  dbus-run-session -- "${demarrage[@]}" >/dev/null 2>&1
else
  "${demarrage[@]}" >/dev/null 2>&1
fi
kill "$xvfb_pid" 2>/dev/null || true
wait "$xvfb_pid" 2>/dev/null || true
xvfb_pid=
unset HOME XDG_CONFIG_HOME XDG_STATE_HOME DISPLAY
HOME=$(getent passwd "$(id -u)" | cut -d: -f6) && export HOME

# --- 2. Micro benchmarks ---------------------------------------------------
export QT_QPA_PLATFORM=offscreen
gb=(--benchmark_repetitions="$REPETITIONS" --benchmark_report_aggregates_only=true
    --benchmark_min_time="$TEMPS_MIN" --benchmark_format=json)
lexique=(BM_ChargeLexique BM_LexiqueFenetre BM_LexiqueFourni BM_LexiqueHostileUneLigne10Mo
         BM_LexiqueHostileMillionLignesCourtes BM_LexiqueHostileMillionLignesMots)
micro() { # suffix of the result files
  local banc cas
  for banc in systeme code_page impression fenetre; do
    "$b/bench_$banc" "${gb[@]}" >"$resultats/$banc$1.json" 2>/dev/null
  done
  # Each lexicon case alone, so that its peak memory is its own.
  : >"$resultats/lexique$1.json"
  for cas in "${lexique[@]}"; do
    "$b/bench_lexique" "${gb[@]}" --benchmark_filter="^$cas\$" >>"$resultats/lexique$1.json" 2>/dev/null
  done
}
micro ""
GLIBC_TUNABLES=glibc.malloc.trim_threshold=2147483647:glibc.malloc.mmap_threshold=33554432:glibc.malloc.top_pad=16777216
export GLIBC_TUNABLES
micro _tas
unset GLIBC_TUNABLES

# --- 3. The lexicon's first load, once a process ----------------------------
: >"$resultats/lexique_premier"
for cas in "${lexique[@]:1}"; do
  for _ in $(seq "$TOURS"); do
    "$b/bench_lexique" --benchmark_filter="^$cas\$" --benchmark_min_time=0 --benchmark_format=json 2>/dev/null |
      awk -v c="$cas" '/"real_time"/ {t = $2} /"time_unit"/ {u = $2} /"rss_ajoute_Mio"/ {m = $2}
        END {gsub(/[",]/, "", t); gsub(/[",]/, "", u); gsub(/[",]/, "", m); print c, t, u, m}' >>"$resultats/lexique_premier"
  done
done

echo "load at the end: $(charge)" >>"$resultats/machine"
bash "$racine/bench/tableau.sh" "$resultats"
echo
echo "raw results in $resultats"
