#!/usr/bin/env bash
# Installs what is missing, builds Plumor and starts it on the example class
# folder, from that folder, as a classroom shortcut does.
set -euo pipefail
racine=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$racine/scripts/dependances.sh"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Plumor is a desktop program and needs a display (none found in DISPLAY or WAYLAND_DISPLAY)." >&2
  echo "On a machine without a screen, run it inside a virtual one:" >&2
  echo "  sudo apt-get install xvfb xauth && xvfb-run -a scripts/lancer.sh" >&2
  exit 1
fi

installer_manquants "${PAQUETS_CONSTRUCTION[@]}"
construire "$racine" "$racine/build" >/dev/null
cd "$racine/exemple/classe"
exec "$racine/build/src/app/plumor"
