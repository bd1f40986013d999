#!/usr/bin/env bash
# Runs one test function as an unprivileged user, from a copy of the test
# binary in /tmp, since the build folder may not be reachable by that user.
set -euo pipefail
binaire=$1; fonction=$2
copie=$(mktemp /tmp/plumor-test.XXXXXX)
trap 'rm -f "$copie"' EXIT
cp "$binaire" "$copie"
chmod 755 "$copie"
exec setpriv --reuid=65534 --regid=65534 --clear-groups "$copie" "$fonction"
