#!/usr/bin/env bash
# Runs a program (a test binary, plumor-outils) as an unprivileged user, since
# root ignores file permissions; from a copy in /tmp, which that user reaches.
set -euo pipefail
binaire=$1; shift
[ "$(id -u)" -eq 0 ] || exec "$binaire" "$@"
copie=$(mktemp /tmp/plumor-test.XXXXXX)
trap 'rm -f "$copie"' EXIT
cp "$binaire" "$copie"
chmod 755 "$copie"
setpriv --reuid=65534 --regid=65534 --clear-groups "$copie" "$@"
