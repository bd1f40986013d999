#!/usr/bin/env bash
# Installs what is missing, builds Plumor with its tests and runs them all,
# then the further checks of scripts/etapes (each a script of its own, run in
# name order with the build folder as argument).
set -euo pipefail
racine=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$racine/scripts/dependances.sh"

# Printing is tested on PDF files and on a real CUPS queue; the benchmarks
# need Google Benchmark and Xlib for the start-up measure; a private Samba
# server plays the Windows copies; a FUSE passthrough plays a share that
# misbehaves.
installer_manquants "${PAQUETS_CONSTRUCTION[@]}" xvfb xauth poppler-utils cups printer-driver-cups-pdf samba smbclient \
  libbenchmark-dev libx11-dev at-spi2-core python3-pyatspi dbus fuse3 python3-fusepy xdotool
# The spoken roads need Orca and a window manager; where they cannot be
# installed, that test says so and is skipped.
installer_manquants orca openbox || echo "Orca or openbox could not be installed: the spoken roads will be skipped"
construire "$racine" "$racine/build"
(cd "$racine/build" && ctest --output-on-failure -j"$(nproc)")

shopt -s nullglob
for etape in "$racine"/scripts/etapes/*.sh; do
  echo "== $(basename "$etape")"
  bash "$etape" "$racine/build"
done
