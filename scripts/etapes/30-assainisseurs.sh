#!/usr/bin/env bash
# The whole test suite again, built with AddressSanitizer and
# UndefinedBehaviorSanitizer, in a build folder beside the given one; then
# the suites of what runs beside the window's thread (the share's thread, the
# record's writer) with ThreadSanitizer.
set -euo pipefail
racine=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
dossier=$(cd "$1/.." && pwd)/build-asan
drapeaux="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"

debut=$(date +%s)
cmake -S "$racine" -B "$dossier" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="$drapeaux" \
  -DCMAKE_EXE_LINKER_FLAGS="$drapeaux" >/dev/null
cmake --build "$dossier" -j"$(nproc)"
# The CUPS test drives a daemon of its own and runs serially for minutes: the
# plain suite covers it.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export LSAN_OPTIONS=suppressions=$racine/tests/fiabilite/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
(cd "$dossier" && ctest --output-on-failure -j"$(nproc)" -E 'cups|lecteur_ecran')
# The screen-reader test runs Plumor on a real X server, where libxkbcommon-x11
# hands strndup() a buffer without a final NUL, as strndup allows: ASan's
# strict string checks would stop there, outside Plumor's code.
(cd "$dossier" && ASAN_OPTIONS=${ASAN_OPTIONS/strict_string_checks=1/strict_string_checks=0} \
  ctest --output-on-failure -R 'lecteur_ecran$')

# The core, the window's commands and the share that misbehaves, with
# ThreadSanitizer; Qt's own hand-overs are described in tsan.supp.
tsan=$(cd "$1/.." && pwd)/build-tsan
drapeaux="-fsanitize=thread -fno-omit-frame-pointer"
suites=(test_disque test_fichiers_texte test_partage test_documents)
cmake -S "$racine" -B "$tsan" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS="$drapeaux" \
  -DCMAKE_EXE_LINKER_FLAGS="$drapeaux" >/dev/null
cmake --build "$tsan" -j"$(nproc)" --target "${suites[@]}"
(cd "$tsan" && TSAN_OPTIONS="halt_on_error=1 die_after_fork=0 suppressions=$racine/tests/fiabilite/tsan.supp" \
  ctest --output-on-failure -R "^($(IFS='|'; echo "${suites[*]}"))\$")
echo "sanitizers: $(( $(date +%s) - debut )) s"
