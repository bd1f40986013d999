#!/usr/bin/env bash
# Run by 40-windows.sh on a display of its own: the real window under Wine,
# driven by keys as a pupil would, through the platform's own « Ouvrir » and
# « Enregistrer sous » dialogs, on a class folder that the copy knows by one
# drive (Z:) and the pupil reaches by another mapped to it (K:); then the
# copy is killed with words typed and started again. Every verdict reads a
# file: the title, the text's bytes and mode (0444 is the mark), the record.
#   windows-fenetre.sh PLUMOR.EXE CLASS_FOLDER
set -euo pipefail
exe=$1 classe=$2
journal=$classe/.fenetre
openbox >/dev/null 2>&1 &
ln -sfn "$classe" "$WINEPREFIX/dosdevices/k:"
mkdir -p "$classe/eleve"
printf 'Il \xe9tait une fois\r\n' >"$classe/eleve/a.txt"
wine cmd /c 'echo %LOCALAPPDATA%' >"$journal" 2>/dev/null
etat=$(winepath -u "$(tr -d '\r' <"$journal")")/Plumor
# No record of an earlier run is offered first.
rm -rf "$etat"

echouer() {
  xdotool search --name . getwindowname %@ >"$journal" 2>/dev/null || true
  echo "windows: window: $* (windows shown: $(grep -v '^$' "$journal" | tr '\n' '|'))"
  exit 1
}
# Up to a minute for a state that a file or the display shows; `bientot`, ten seconds.
attendre() {
  local _
  for _ in $(seq "${tours:-240}"); do "$@" && return 0; sleep 0.25; done
  return 1
}
bientot() { tours=40 attendre "$@"; }
titre() { xdotool search --name "$1" >"$journal" 2>/dev/null; }
contient() { grep -qaF -- "$2" "$1"; }
marque() { [ "$(stat -c %a "$1")" = 444 ]; }
# The record holds the words as Qt streams a string: UTF-16, big-endian,
# from an odd or an even byte.
dans_le_releve() {
  local f debut
  for f in "$etat"/*; do
    for debut in 1 2; do
      { tail -c +"$debut" "$f" | iconv -f UTF-16BE -t UTF-8 -c >"$journal" 2>/dev/null; } || true
      grep -qaF -- "$1" "$journal" && return 0
    done
  done
  return 1
}
# A click in the writing zone gives the window the keys; a key the window
# missed while it started is pressed again, and the verdict is still what
# follows on screen or on disk.
taper() {
  xdotool mousemove --window "$fenetre" 200 250 click 1
  xdotool type --delay 20 "$1"
}
menu() { # the « Fichier » item at this rank, then what it must lead to
  local rang=$1 _
  shift
  for _ in 1 2 3; do
    xdotool mousemove --window "$fenetre" 200 250 click 1 key F10
    for _ in $(seq "$rang"); do xdotool key Down; done
    xdotool key Return
    bientot "$@" && return 0
    xdotool key Escape
  done
  return 1
}
choisir() { # the Windows path typed into the dialog's « File name: »
  xdotool windowactivate --sync "$(head -1 "$journal")" 2>/dev/null || true
  # Over the name the dialog proposes.
  xdotool key End shift+Home
  xdotool type --delay 20 "$1"
  xdotool key Return
}
# Started in the class folder by its Z: name, as a shortcut's folder would.
demarrer() {
  wine start /d "Z:${classe//\//\\}" "Z:${exe//\//\\}" >/dev/null 2>&1
}

demarrer
attendre titre '^b$' || echouer "no window titled b"
fenetre=$(head -1 "$journal")
pid=$(xdotool getwindowpid "$fenetre")
xdotool windowactivate --sync "$fenetre" 2>/dev/null || true

menu 1 titre '^Ouvrir$' || echouer "no « Ouvrir » dialog"
choisir 'K:\eleve\a.txt'
attendre titre '^[Kk]:/eleve/a\.txt$' || echouer "« Ouvrir » did not show K:/eleve/a.txt"
marque "$classe/eleve/a.txt" || echouer "a.txt opened but not marked"
taper 'Le renard dort. '
menu 4 titre '^Enregistrer sous$' || echouer "no « Enregistrer sous » dialog"
choisir 'K:\eleve\b.txt'
attendre titre '^[Kk]:/eleve/b\.txt$' || echouer "« Enregistrer sous » did not show K:/eleve/b.txt"
contient "$classe/eleve/b.txt" 'Le renard dort. ' && contient "$classe/eleve/b.txt" $'Il \xe9tait une fois\r\n' \
  || echouer "b.txt does not hold the words typed"
marque "$classe/eleve/b.txt" && ! marque "$classe/eleve/a.txt" || echouer "the mark did not go from a.txt to b.txt"
echo "windows: window: « Ouvrir » and « Enregistrer sous » through Wine's dialog, by the mapped drive: title, bytes, marks"

# The window still takes keys after the dialogs: the record has the words.
# Killed then, the mark stays.
taper 'La nuit tombe. '
attendre dans_le_releve 'La nuit tombe. ' || echouer "the recovery record never held the words typed"
kill -9 "$pid"
attendre eval '! kill -0 '"$pid"' 2>/dev/null' || echouer "the killed copy did not end"
marque "$classe/eleve/b.txt" || echouer "the killed copy's mark is gone"

# Started again: the words are offered (Return: « Oui »), the text is held
# again by its K: name, and saved in place.
demarrer
attendre titre '^Plumor$' || echouer "no recovery question after the kill"
# The window may bear that title too while the question comes up, and a key
# sent before Wine gives the question the focus is lost: Return again, to
# each window of that title, until the text is shown.
repondre() {
  local w
  titre '^[Kk]:/eleve/b\.txt$' && return 0
  for w in $(xdotool search --name '^Plumor$' 2>/dev/null); do
    xdotool windowactivate --sync "$w" key Return 2>/dev/null || true
  done
  return 1
}
attendre repondre || echouer "the recovered words are not in b.txt, held again"
marque "$classe/eleve/b.txt" || echouer "the recovered text is not marked"
fenetre=$(xdotool search --name '^[Kk]:/eleve/b\.txt$' | head -1)
menu 3 contient "$classe/eleve/b.txt" 'La nuit tombe. ' || echouer "the recovered words were not saved into b.txt"
marque "$classe/eleve/b.txt" || echouer "the mark was lost by the save after the recovery"
echo "windows: window: killed with words typed on the mapped drive, started again: words offered, mark taken over, saved in place"
