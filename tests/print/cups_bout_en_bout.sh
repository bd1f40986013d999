#!/usr/bin/env bash
# Prints through the print command on a real CUPS queue and reads the page
# back: a private cupsd (own socket, configuration, spool and logs in a temp
# folder) whose default printer is a CUPS-PDF queue. A system cupsd, if any,
# is left alone; the only file written outside the temp folder is the
# CUPS-PDF instance configuration /etc/cups/cups-pdf-<instance>.conf, created
# and removed here (the backend reads its configuration from /etc/cups only).
#
#   cups_bout_en_bout.sh PLUMOR_IMPRIMER_FICHIER
#
# Exit 0: passed; 1: failed; 77: cannot run here (not root, no packages).

set -uo pipefail

imprimer=${1:?usage: cups_bout_en_bout.sh PLUMOR_IMPRIMER_FICHIER}
paquets=(cups printer-driver-cups-pdf poppler-utils)
instance=plumor-essai-$$
conf_instance=/etc/cups/cups-pdf-$instance.conf
delai=60

passer() { echo "SKIP: $*"; exit 77; }
echouer() {
  echo "FAIL: $*"
  if [ -n "${tmp:-}" ]; then
    for f in "$tmp"/log/error_log "$tmp"/log/cups-pdf*_log; do
      [ -f "$f" ] && { echo "--- tail of $f"; tail -n 30 "$f"; }
    done
  fi
  exit 1
}

# Waits until the command succeeds, at most $delai seconds.
attendre() {
  local fin=$((SECONDS + delai))
  until "$@" >/dev/null 2>&1; do
    [ "$SECONDS" -lt "$fin" ] || return 1
    sleep 0.5
  done
}

# --- Packages -----------------------------------------------------------------
[ "$(id -u)" -eq 0 ] || passer "needs root: it installs packages and starts its own cupsd"
manquants=()
for p in "${paquets[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || manquants+=("$p")
done
if [ ${#manquants[@]} -gt 0 ]; then
  echo "Installing: ${manquants[*]}"
  { timeout 300 apt-get update -qq &&
    DEBIAN_FRONTEND=noninteractive timeout 600 apt-get install -y -qq --no-install-recommends "${manquants[@]}"; } \
    >/dev/null 2>&1 || passer "apt-get could not install ${manquants[*]}"
fi
for outil in cupsd lpadmin lpstat pdftotext; do
  command -v "$outil" >/dev/null || passer "$outil is missing after installing ${paquets[*]}"
done
[ -x /usr/lib/cups/backend/cups-pdf ] || passer "the cups-pdf backend is missing"

# --- A private cupsd ------------------------------------------------------------
tmp=$(mktemp -d /tmp/plumor-cups.XXXXXX) || echouer "no temp folder"
pid_cupsd=
nettoyer() {
  if [ -n "$pid_cupsd" ] && kill -0 "$pid_cupsd" 2>/dev/null; then
    kill "$pid_cupsd" 2>/dev/null
    for _ in $(seq 1 50); do kill -0 "$pid_cupsd" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid_cupsd" 2>/dev/null
  fi
  rm -f "$conf_instance"
  rm -rf "$tmp"
}
trap nettoyer EXIT
trap 'exit 1' INT TERM HUP

# cupsd runs its filters as lp: every folder it uses must be reachable.
chmod 755 "$tmp"
mkdir -p "$tmp"/{etc,spool/tmp,cache,state,log,out,client,home}
chmod 755 "$tmp"/{etc,out}
sock=$tmp/cups.sock

cat >"$tmp/etc/cups-files.conf" <<EOF
ServerRoot $tmp/etc
RequestRoot $tmp/spool
TempDir $tmp/spool/tmp
CacheDir $tmp/cache
StateDir $tmp/state
ErrorLog $tmp/log/error_log
AccessLog $tmp/log/access_log
PageLog $tmp/log/page_log
User lp
Group lp
SystemGroup root
FatalErrors config
EOF
# Only a local socket, no browsing, no authentication: nothing reaches it from
# outside this test.
cat >"$tmp/etc/cupsd.conf" <<EOF
Listen $sock
LogLevel debug
Browsing No
WebInterface No
DefaultAuthType None
ErrorPolicy abort-job
MaxJobTime 120
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF
cat >"$conf_instance" <<EOF
Out $tmp/out
AnonDirName $tmp/out
Spool $tmp/cups-pdf-spool
Log $tmp/log
LogType 7
Grp lp
EOF

env -u CUPS_SERVER -u CUPS_SERVERROOT cupsd -f -c "$tmp/etc/cupsd.conf" -s "$tmp/etc/cups-files.conf" \
  >"$tmp/log/cupsd.out" 2>&1 &
pid_cupsd=$!

# Every client, Plumor included, talks to that daemon only, with no printer
# chosen by the environment or a user's lpoptions.
export CUPS_SERVER=$sock CUPS_SERVERROOT=$tmp/client HOME=$tmp/home
unset PRINTER LPDEST
export QT_QPA_PLATFORM=offscreen

attendre lpstat -r || {
  cat "$tmp/log/cupsd.out"
  kill -0 "$pid_cupsd" 2>/dev/null || passer "cupsd could not run here (see above)"
  echouer "cupsd did not answer on $sock within ${delai}s"
}
echo "cupsd $pid_cupsd listens on $sock"

# Without the Cairo renderer the PDF's text cannot be extracted.
lpadmin -p PDF -E -v "cups-pdf:/$instance" -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd \
  -o pdftops-renderer-default=pdftocairo || echouer "lpadmin could not create the PDF queue"
lpadmin -d PDF || echouer "lpadmin could not make PDF the default printer"
[ "$(lpstat -d)" = "system default destination: PDF" ] || echouer "PDF is not the default: $(lpstat -d)"

# --- Print ------------------------------------------------------------------------
texte=$tmp/essai-cups.txt
# Windows-1252, CR LF, as the class's files are: \351 is é.
printf 'Le renard et la poule\r\n\r\nIl \351tait une fois un renard.\r\n-Non, dit la poule.\r\n' >"$texte"

timeout "$delai" "$imprimer" "$texte" >"$tmp/log/imprimer.out" 2>&1
statut=$?
cat "$tmp/log/imprimer.out"
grep -q '; default: PDF$' "$tmp/log/imprimer.out" || echouer "Qt did not see PDF as the default printer"
[ "$statut" -eq 0 ] || echouer "the print command did not print (status $statut)"

# CUPS-PDF writes its file before it is complete: wait for the queue to empty.
vide() { [ -z "$(lpstat -o)" ]; }
attendre vide || echouer "the job is still queued after ${delai}s: $(lpstat -o)"
lpstat -W completed -o PDF | grep -q . || echouer "no completed job: $(lpstat -W all -o)"
pdf=$(find "$tmp/out" -name '*.pdf' -type f | head -n 1)
[ -n "$pdf" ] || echouer "CUPS-PDF wrote no file into $tmp/out"
echo "printed: $pdf"

# --- Read the page back -------------------------------------------------------------
# Words in reading order with their left and top edges: "x y word".
pdftotext -bbox "$pdf" - >"$tmp/page.html" || echouer "pdftotext cannot read $pdf"
sed -n 's/.*<word xMin="\([0-9.]*\)" yMin="\([0-9.]*\)"[^>]*>\(.*\)<\/word>.*/\1 \2 \3/p' \
  "$tmp/page.html" >"$tmp/mots"
cat "$tmp/mots"

attendu="essai-cups.txt Le renard et la poule Il était une fois un renard. - Non, dit la poule."
lu=$(awk '$3 !~ /^_+$/ { printf "%s%s", sep, $3; sep = " " }' "$tmp/mots")
[ "$lu" = "$attendu" ] || echouer "words read back: '$lu', expected: '$attendu'"

# The rule stands under the header and above the text: header on line 1 at
# column 5, rule on line 2, text from line 5 at column 1, double-spaced, the
# dialogue's dash at column 1 and its text at column 3 (a column is 6 points,
# a line 12).
awk '
  function proche(a, b) { return a - b < 1.5 && b - a < 1.5 }
  $3 ~ /^_+$/ && length($3) >= 40 && !trait { trait = $2; xtrait = $1 }
  $3 == "essai-cups.txt" { entete = $2; xentete = $1 }
  $3 == "Le" && !le { le = $2; xle = $1 }
  $3 == "Il" { il = $2; xil = $1 }
  $3 == "-" { xtiret = $1 }
  $3 == "Non," { non = $2; xnon = $1 }
  END {
    if (!trait) { print "no rule of underscores"; exit 1 }
    if (!proche(trait - entete, 12)) { print "rule not on the line under the header"; exit 1 }
    if (!proche(xentete - xtrait, 30)) { print "header not at column 5"; exit 1 }
    if (!proche(le - trait, 36)) { print "text not on line 5"; exit 1 }
    if (!proche(xle - xtrait, 6)) { print "text not at column 1"; exit 1 }
    if (!proche(il - le, 24) || !proche(xil, xle)) { print "paragraphs not double-spaced at column 1"; exit 1 }
    if (!proche(non - il, 24)) { print "dialogue line not double-spaced"; exit 1 }
    if (!proche(xtiret, xle) || !proche(xnon - xle, 12)) { print "dash not at column 1 or its text not at column 3"; exit 1 }
  }' "$tmp/mots" || echouer "the page is not laid out under its rule"

echo "PASS: Plumor printed on the default CUPS printer and the page reads back"
