#!/usr/bin/env bash
# Installs what is missing, builds Plumor with its tests and runs them all.
set -euo pipefail
racine=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$racine/scripts/dependances.sh"

installer_manquants "${PAQUETS_CONSTRUCTION[@]}" xvfb xauth
construire "$racine" "$racine/build"
cd "$racine/build"
ctest --output-on-failure -j"$(nproc)"
