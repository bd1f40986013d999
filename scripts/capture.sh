#!/usr/bin/env bash
# Starts Plumor under a private Xvfb from a folder, waits for its window and
# saves a screenshot: scripts/capture.sh PROGRAMME DOSSIER SORTIE.png [xdotool actions...]
set -euo pipefail
programme=$(realpath "$1"); dossier=$2; sortie=$(realpath -m "$3"); shift 3
exec xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  set -euo pipefail
  programme=$1; dossier=$2; sortie=$3; shift 3
  cd "$dossier"
  # A recovery record from an earlier capture would put its question in the picture.
  XDG_STATE_HOME=$(mktemp -d) "$programme" & pid=$!
  for _ in $(seq 100); do
    xdotool search --onlyvisible --class plumor >/dev/null 2>&1 && break
    sleep 0.1
  done
  sleep 1
  for action in "$@"; do eval "$action"; sleep 0.5; done
  import -window root "$sortie"
  kill "$pid" 2>/dev/null || true
' capture "$programme" "$dossier" "$sortie" "$@"
