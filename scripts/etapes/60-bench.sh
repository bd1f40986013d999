#!/usr/bin/env bash
# Runs every benchmark once, with the fewest iterations, so that they keep
# building and running; no figure is checked here (bench/mesurer.sh measures).
set -euo pipefail
# Absolute: the start-up measure runs from the class folder.
construction=$(cd "${1:?usage: 60-bench.sh BUILD_FOLDER}" && pwd)
b=$construction/bench
if [ ! -x "$b/bench_fenetre" ]; then
  echo "benchmarks not built (Google Benchmark missing?): skipped"
  exit 0
fi
debut=$(date +%s)
for banc in bench_systeme bench_code_page bench_impression bench_lexique bench_fenetre; do
  QT_QPA_PLATFORM=offscreen "$b/$banc" --benchmark_min_time=0 --benchmark_repetitions=1 \
    --benchmark_format=json 2>/dev/null | awk -v b="$banc" '/"name":/ {n++} /"error_occurred": true/ {e++}
      END {print "  " b ": " n " benchmarks ran, " e + 0 " in error"; exit e > 0}'
done
# The start-up measure: the waiter, the bare window and Plumor on a virtual
# screen, in a D-Bus session of their own when there is one to start.
if [ -x "$b/attente_fenetre" ] && command -v xvfb-run >/dev/null; then
  execution=$(mktemp -d)
  trap 'rm -rf "$execution"' EXIT
  # Plumor keeps its recovery records there, not in the real home.
  export HOME=$execution XDG_RUNTIME_DIR=$execution XDG_STATE_HOME=$execution
  session=()
  command -v dbus-run-session >/dev/null && session=(dbus-run-session --)
  classe=$(cd "$(dirname "$0")/../../exemple/classe" && pwd)
  for programme in "$b/fenetre_nue" "$construction/src/app/plumor"; do
    if ! (cd "$classe" && "${session[@]}" xvfb-run -a "$b/attente_fenetre" -s 0 "$programme" 2>/dev/null) |
      sed "s|^|  $(basename "$programme"): |"; then
      echo "60-bench: $programme did not map a window on the virtual screen" >&2
      exit 1
    fi
  done
fi
echo "  done in $(($(date +%s) - debut)) s"
