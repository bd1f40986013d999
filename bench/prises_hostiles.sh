#!/usr/bin/env bash
# The seven ways a pupil or an unlucky network turned claims against the
# class, once each: junk at a claim's name, a forged mode, a case variant, a
# claim of another machine, a host name changed between a kill and the next
# take, a claim naming a file outside the class. Prints what the copy and the
# teacher's tool answered. The kills at every call are tests/fiabilite/tuer_partout.py.
#
#   bench/prises_hostiles.sh [build-folder]     (as root: unshare -u for the host name)
set -u
racine=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
B=$(cd "${1:-$racine/build}" && pwd)
C=$B/tests/fiabilite/copie_mixte; O=$B/src/app/plumor-outils
nomp() { python3 -c "import hashlib,sys;print('.plumor-prise-'+hashlib.sha1(sys.argv[1].encode()).hexdigest()[:20])" "$1"; }
d=$(mktemp -d); cd $d
prendre() { printf 'prendre %s\n' "$1" | $C; }
echo "== 1 junk at b.txt's claim"
for k in vide texte tube lien dossier plein; do
  rm -rf $d/*; rm -rf $d/.plumor*; printf 'B\r\n' > b.txt; p=$(nomp b.txt)
  case $k in vide) : > $p;; texte) echo coucou > $p;; tube) mkfifo $p;; lien) ln -s /etc/passwd $p;; dossier) mkdir $p;; plein) mkdir -p $p/x;; esac
  l=$($O marques . | grep 'étranger :' | sed 's/.*étranger : //'); r=$(prendre b.txt); echo "$k: tool says [$l] then take=$r, hidden left: $(ls -A | grep -c '^\.')"
done
echo "== 3 forged mode 6777"
rm -rf $d/* $d/.plumor*; chmod 755 $d; printf 'A\r\n' > a.txt; chmod 644 a.txt
coproc X { exec $C; }; echo "prendre a.txt" >&${X[1]}; read -u ${X[0]} r; kill -9 $X_PID; wait $X_PID 2>/dev/null
p=$(nomp a.txt); sed -i 's/^mode=.*/mode=6777/' $p
$O marques . --liberer a.txt 2>/dev/null; echo "mode after: $(stat -c %a a.txt)"
echo "== 4 case"
rm -rf $d/* $d/.plumor*; printf 'c\r\n' > conte.txt; printf 'C\r\n' > Conte.txt
coproc Y { exec $C; }; echo "prendre conte.txt" >&${Y[1]}; read -u ${Y[0]} r1
echo "conte.txt=$r1 Conte.txt=$(prendre Conte.txt)"; kill $Y_PID; wait $Y_PID 2>/dev/null
echo "== 5 another machine's claim, its copy gone from here"
rm -rf $d/* $d/.plumor*; printf 'A\r\n' > a.txt; chmod 644 a.txt
coproc Z { exec $C; }; echo "prendre a.txt" >&${Z[1]}; read -u ${Z[0]} r; kill -9 $Z_PID; wait $Z_PID 2>/dev/null
p=$(nomp a.txt); sed -i 's/^copie=[0-9a-f]*/copie=4242424242424242/; s/^hote=.*/hote=posteX/' $p
$O marques . | head -1; $O marques . --liberer a.txt 2>/dev/null
echo "== 6 host name changed between a kill and the next take"
rm -rf $d/* $d/.plumor*; printf 'A\r\n' > a.txt; chmod 644 a.txt
unshare -u sh -c "hostname posteA; (printf 'prendre a.txt\n'; sleep 3) | $C & p=\$!; sleep 0.5; kill -9 \$p" >/dev/null 2>&1; sleep 0.1
# The copy died between its claim and the mark's lift by hand, within 2 s.
chmod 644 a.txt; echo "take under posteB: $(unshare -u sh -c "hostname posteB; printf 'prendre a.txt\n' | $C")"
echo "== 7 forged claim naming /etc/shadow"
rm -rf $d/* $d/.plumor*; printf 'A\r\n' > a.txt
printf 'plumor-prise 1\ntexte=../../../../etc/shadow\ncopie=4242424242424242_b_1_1\nutilisateur=x\nhote=y\njeton=abc\nmode=644\ndepuis=1\n' > $(python3 -c "import hashlib;print('.plumor-prise-'+hashlib.sha1(b'../../../../etc/shadow').hexdigest()[:20])")
$O marques . | grep -i "shadow\|étranger"
cd /; rm -rf $d
