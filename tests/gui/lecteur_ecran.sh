#!/usr/bin/env bash
# The real program as a screen reader sees it, through AT-SPI: a private X
# server, session bus and accessibility bus, Plumor on a copy of the example
# class folder, and lecteur_ecran.py walking its tree and saving a text.
# With "orca", Orca itself runs there first, what it says is written to a
# file as it says it, and orca_routes.py drives Plumor by keys alone.
#   lecteur_ecran.sh PLUMOR SOURCE_ROOT [orca]
# Exit 0: passed; 1: failed; 77: cannot run here (a package or the bus missing).
set -uo pipefail
plumor=$(readlink -f "${1:?usage: lecteur_ecran.sh PLUMOR SOURCE_ROOT [orca]}")
racine=${2:?usage: lecteur_ecran.sh PLUMOR SOURCE_ROOT [orca]}
orca=${3:-}
passer() { echo "SKIP: $*"; exit 77; }
for o in Xvfb dbus-run-session dbus-send /usr/libexec/at-spi-bus-launcher; do
  command -v "$o" >/dev/null || passer "$o missing (packages xvfb, dbus, at-spi2-core)"
done
# Debian's own Python, where python3-pyatspi installs, even under a pyenv.
py=/usr/bin/python3
[ -x $py ] || py=python3
$py -c 'import pyatspi' 2>/dev/null || passer "python3-pyatspi missing"
script=$racine/tests/gui/lecteur_ecran.py
if [ -n "$orca" ]; then
  command -v orca >/dev/null || passer "Orca missing (package orca)"
  command -v xdotool >/dev/null || passer "xdotool missing (package xdotool)"
  # Orca follows the window a window manager activates, as on a pupil's desktop.
  command -v openbox >/dev/null || passer "no window manager (package openbox)"
  # Orca runs once per user: one already running (the user's own, or another
  # run of this test) is neither replaced nor joined.
  pgrep -u "$(id -u)" -x orca >/dev/null && passer "Orca already runs for this user"
  script=$racine/tests/gui/orca_routes.py
fi

tmp=$(mktemp -d /tmp/plumor-atspi.XXXXXX) || passer "no temp folder"
trap 'kill $(jobs -p) 2>/dev/null; wait 2>/dev/null; rm -rf "$tmp"' EXIT
cp -r "$racine/exemple/classe" "$tmp/classe"
exec 3>"$tmp/ecran"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
for _ in $(seq 50); do [ -s "$tmp/ecran" ] && break; sleep 0.1; done
[ -s "$tmp/ecran" ] || passer "Xvfb did not start"
export DISPLAY=:$(head -1 "$tmp/ecran") HOME=$tmp XDG_STATE_HOME=$tmp/etat XDG_RUNTIME_DIR=$tmp
export XDG_CONFIG_HOME=$tmp/config XDG_DATA_HOME=$tmp/donnees XDG_CACHE_HOME=$tmp/cache
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 PAROLE=$tmp/parole
if [ -n "$orca" ]; then
  # Every utterance, key echo included, goes through this log call, whatever
  # the level; the file is flushed line by line so it can be read meanwhile.
  mkdir -p "$tmp/orca"
  cat >"$tmp/orca/orca-customizations.py" <<'PY'
import os
from orca import debug
_println = debug.println
_parole = open(os.environ["PAROLE"], "a", buffering=1, encoding="utf-8")
def println(level, text="", timestamp=False):
    if text.startswith("SPEECH OUTPUT:"):
        _parole.write(text.replace("\n", " ") + "\n")
    _println(level, text, timestamp)
debug.println = println
PY
fi
: >"$PAROLE"
dbus-run-session -- bash -c '
  /usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
  bus() { dbus-send --session --dest=org.a11y.Bus --print-reply /org/a11y/bus org.a11y.Bus.GetAddress; }
  for _ in $(seq 50); do bus >/dev/null 2>&1 && break; sleep 0.1; done
  bus >/dev/null 2>&1 || exit 77
  if [ -n "$5" ]; then
    openbox >/dev/null 2>&1 &
    orca -u "$1/orca" >"$1/orca.out" 2>&1 &
    # Up once it has said so; a pupil starts Plumor with Orca already talking.
    for _ in $(seq 600); do [ -s "$PAROLE" ] && break; sleep 0.1; done
    [ -s "$PAROLE" ] || exit 77
  fi
  (cd "$1/classe" && exec "$2") >"$1/plumor.log" 2>&1 &
  "$4" "$3" "$1/classe" 2>&1
  issue=$?
  # Orca gone before the next run looks for one.
  kill $(jobs -p) 2>/dev/null
  wait
  exit $issue
' _ "$tmp" "$plumor" "$script" "$py" "$orca" 2>"$tmp/dbus.log"
issue=$?
[ $issue = 77 ] && passer "the accessibility bus or Orca did not start"
[ $issue = 0 ] || { echo "--- plumor.log"; cat "$tmp/plumor.log"; }
exit $issue
