#!/usr/bin/env bash
# A real Plumor on a share that drags or hangs (tests/fiabilite/partage_capricieux.py
# over a class folder of 60 texts), driven through AT-SPI by bench/partage_lent.py
# on a private X server with openbox: for each scenario, each command's time,
# the window's longest freeze (bench/sonde_gel) and the calls that reached
# the share. Needs root (FUSE), xvfb, openbox, dbus, at-spi2-core,
# python3-pyatspi, python3-fusepy.
#
#   bench/partage_lent.sh PLUMOR SONDE [SCENARIO...]   (lent 5s fin)

set -euo pipefail
plumor=$(readlink -f "$1") sonde=$(readlink -f "$2")
shift 2
[ $# -gt 0 ] && scenarios=("$@") || scenarios=(lent 5s fin)
racine=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
tmp=$(mktemp -d /tmp/plumor-lent.XXXXXX)
trap 'kill $(jobs -p) 2>/dev/null; umount -l "$tmp/point" 2>/dev/null; wait 2>/dev/null; rm -rf "$tmp"' EXIT

exec 3>"$tmp/ecran"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
for _ in $(seq 50); do [ -s "$tmp/ecran" ] && break; sleep 0.1; done
export DISPLAY=:$(head -1 "$tmp/ecran") HOME=$tmp XDG_STATE_HOME=$tmp/etat XDG_RUNTIME_DIR=$tmp
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
openbox >/dev/null 2>&1 &

for scenario in "${scenarios[@]}"; do
  rm -rf "$tmp/source" && mkdir -p "$tmp/source" "$tmp/point"
  for i in $(seq -w 1 60); do printf 'Texte num\xe9ro %s.\r\n' "$i" >"$tmp/source/texte-$i.txt"; done
  printf 'Il \xe9tait une fois\r\n' >"$tmp/source/conte.txt"
  echo '{}' >"$tmp/fautes.json"
  /usr/bin/python3 "$racine/tests/fiabilite/partage_capricieux.py" "$tmp/source" "$tmp/point" "$tmp/fautes.json" &
  for _ in $(seq 50); do mountpoint -q "$tmp/point" && break; sleep 0.1; done
  echo "== $scenario"
  dbus-run-session -- bash -c '
    /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
    for _ in $(seq 50); do dbus-send --session --dest=org.a11y.Bus --print-reply /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null 2>&1 && break; sleep 0.1; done
    /usr/bin/python3 "$@"
  ' _ "$racine/bench/partage_lent.py" "$plumor" "$sonde" "$tmp/fautes.json" "$tmp/journal" "$tmp/point" "$scenario" 2>"$tmp/dbus.log" || cat "$tmp/dbus.log"
  echo '{}' >"$tmp/fautes.json"
  umount -l "$tmp/point"
  kill %?partage_capricieux 2>/dev/null || true
  rm -f "$tmp/journal"
done
