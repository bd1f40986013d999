#!/usr/bin/env bash
# Installs what is missing, builds the program alone (the test suite and the
# benchmarks are scripts/tester.sh's business) and starts it on the example
# class folder, from that folder, as a classroom shortcut does.
set -euo pipefail
racine=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$racine/scripts/dependances.sh"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Plumor is a desktop program and needs a display (none found in DISPLAY or WAYLAND_DISPLAY)." >&2
  echo "Run this script from a desktop session. On a machine without a screen, a virtual one runs it" >&2
  echo "but shows nothing (see the README to look at it):" >&2
  echo "  sudo apt-get install xvfb xauth && xvfb-run -a scripts/lancer.sh" >&2
  exit 1
fi

echo "== Debian packages Plumor needs to build (installed only if missing)"
installer_manquants "${PAQUETS_CONSTRUCTION[@]}"
# The same folder as scripts/tester.sh, so that neither builds twice what the
# other built; only the program's target is asked for. Its lexicon is copied
# beside it as part of that target.
echo "== Building the program in build/ (the first time: a few minutes)"
cmake -S "$racine" -B "$racine/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$racine/build" -j"$(nproc)" --target plumor
echo "== Starting Plumor in exemple/classe: close its window, or press Ctrl+C here, to stop it"
cd "$racine/exemple/classe"
exec "$racine/build/src/app/plumor"
