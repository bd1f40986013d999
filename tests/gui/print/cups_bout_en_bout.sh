#!/usr/bin/env bash
# Prints a class text through the print command on a real CUPS queue and
# reads the page back. A private cupsd keeps its socket, configuration,
# spool, printcap and logs in a fresh temp folder; its default printer is a
# CUPS-PDF queue writing there too. The backend reads its configuration from
# /etc/cups only: that one file is named after the temp folder, so that runs
# at once share nothing. A system cupsd, if any, is left alone.
#
#   cups_bout_en_bout.sh PLUMOR_IMPRIMER_FICHIER
#
# Exit 0: passed; 1: failed; 77: cannot run here (not root, no packages).

set -uo pipefail
imprimer=${1:?usage: cups_bout_en_bout.sh PLUMOR_IMPRIMER_FICHIER}
passer() { echo "SKIP: $*"; exit 77; }
echouer() { echo "FAIL: $*"; tail -n 30 "$tmp"/log/*; exit 1; }
# Retries the command every half second for at most a minute.
attendre() { for _ in $(seq 120); do "$@" >/dev/null 2>&1 && return 0; sleep 0.5; done; return 1; }
present() { for o in cupsd lpadmin pdftotext /usr/lib/cups/backend/cups-pdf; do command -v "$o" >/dev/null || return 1; done; }

[ "$(id -u)" -eq 0 ] || passer "needs root: it installs packages and starts its own cupsd"
paquets=(cups printer-driver-cups-pdf poppler-utils)
# Another run may hold the dpkg lock: wait for it rather than skip.
present || { apt-get update -qq; DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
  --no-install-recommends -o DPkg::Lock::Timeout=300 "${paquets[@]}"; } >/dev/null 2>&1
present || passer "could not install ${paquets[*]}"

tmp=$(mktemp -d /tmp/plumor-cups.XXXXXX) || passer "no temp folder"
instance=plumor-${tmp##*.}
sock=$tmp/cups.sock
nettoyer() { [ -n "${pid:-}" ] && kill "$pid" && { timeout 10 tail --pid="$pid" -f /dev/null || kill -9 "$pid"; }
  rm -rf "$tmp" "/etc/cups/cups-pdf-$instance.conf"; }
trap nettoyer EXIT; trap 'exit 1' INT TERM HUP

# The filters run as lp: the folders they use must be reachable.
chmod 755 "$tmp" && mkdir -m 755 "$tmp"/{etc,out,log,home,spool,cache,state}
printf '%s\n' "ServerRoot $tmp/etc" "RequestRoot $tmp/spool" "CacheDir $tmp/cache" \
  "StateDir $tmp/state" "Printcap $tmp/printcap" "ErrorLog $tmp/log/error_log" \
  "AccessLog $tmp/log/access_log" "PageLog $tmp/log/page_log" >"$tmp/etc/cups-files.conf"
# Only a local socket, no browsing, anyone may do anything.
printf '%s\n' "Listen $sock" "Browsing No" "LogLevel debug" "ErrorPolicy abort-job" "DefaultAuthType None" \
  "<Policy default>" "<Limit All>" "</Limit>" "</Policy>" >"$tmp/etc/cupsd.conf"
printf '%s\n' "Out $tmp/out" "AnonDirName $tmp/out" "Spool $tmp/cups-pdf" "Log $tmp/log" \
  >"/etc/cups/cups-pdf-$instance.conf"

env -u CUPS_SERVER -u CUPS_SERVERROOT cupsd -f -c "$tmp/etc/cupsd.conf" \
  -s "$tmp/etc/cups-files.conf" >"$tmp/log/cupsd.out" 2>&1 & pid=$!
# Every client, Plumor included, talks to that daemon only, with no printer
# chosen by the environment or a user's lpoptions.
export CUPS_SERVER=$sock CUPS_SERVERROOT=$tmp/home HOME=$tmp/home QT_QPA_PLATFORM=offscreen
unset PRINTER LPDEST

# lpstat -r exits 0 even when it cannot connect: only its words tell that the
# socket accepts the connections lpadmin needs.
en_service() { [ "$(lpstat -h "$sock" -r)" = "scheduler is running" ]; }
attendre en_service || { kill -0 "$pid" 2>/dev/null || passer "cupsd cannot run here: $(tail -n 5 "$tmp/log/cupsd.out")"
  echouer "cupsd does not accept connections on $sock"; }
# Without the Cairo renderer the PDF's text cannot be read back.
{ lpadmin -p PDF -E -v "cups-pdf:/$instance" -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd \
    -o pdftops-renderer-default=pdftocairo && lpadmin -d PDF; } ||
  echouer "lpadmin could not make a CUPS-PDF queue the default printer"

# Windows-1252 with CR LF, as the class's files are: \351 is é.
texte=$tmp/essai-cups.txt
printf 'Le renard et la poule\r\n\r\nIl \351tait une fois un renard.\r\n-Non, dit la poule.\r\n' >"$texte"
timeout 60 "$imprimer" "$texte" >"$tmp/log/imprimer.out" 2>&1 ||
  echouer "the print command did not print (status $?)"
grep -q '; default: PDF$' "$tmp/log/imprimer.out" || echouer "Qt does not see PDF as the default printer"
# CUPS-PDF writes its file before it is complete: wait for the queue to empty.
attendre sh -c '[ -z "$(lpstat -o)" ]' || echouer "the job is still queued after a minute"
pdf=$(find "$tmp/out" -name '*.pdf' | head -n 1)
[ -n "$pdf" ] || echouer "CUPS-PDF wrote no page"

# Each line of the page as "line:column words", a word far from the one
# before it with its column: a column is 6 points, a line 12, counted from
# the rule of underscores at column 0 of line 2.
lu=$(pdftotext -bbox "$pdf" - | awk -F'"' '/<word / {
    mot = substr($9, 2, length($9) - 8)
    if (!y0 && mot ~ /^___+$/) { x0 = $2; y0 = $4; mot = "___" }
    n++; x[n] = $2; y[n] = $4; fin[n] = $6; m[n] = mot }
  END { for (i = 1; i <= n; i++) {
      l = int(2 + (y[i] - y0) / 12 + 0.5); c = int((x[i] - x0) / 6 + 0.5)
      if (l != prec) printf "%s%d:%d", (i > 1 ? "\n" : ""), l, c
      else if (x[i] - fin[i - 1] > 6) printf " @%d", c
      printf " %s", m[i]; prec = l } }')
attendu=$'1:5 essai-cups.txt\n2:0 ___\n5:1 Le renard et la poule\n7:1 Il était une fois un renard.\n9:1 - @3 Non, dit la poule.'
[ "$lu" = "$attendu" ] || echouer $'the page reads\n'"$lu"$'\ninstead of\n'"$attendu"
echo "PASS: Plumor printed on the default CUPS printer and the page reads back"
