"""Drives a real Plumor on a share that drags or hangs, through AT-SPI, and
times each command while bench/sonde_gel pings its window: how long the
command took, how long the window stopped answering, how many calls reached
the share. Run by bench/partage_lent.sh, which starts the display, the buses,
the share and Plumor.

   partage_lent.py PLUMOR SONDE FAUTES JOURNAL CLASSE SCENARIO

SCENARIO: "lent" (200 ms a call), "5s" (every call hangs for 5 s from the
command's last step on), "fin" (hangs for good; let go after 15 s so that
the next command can run). Prints a line a command."""
import json
import os
import signal
import subprocess
import sys
import threading
import time

import pyatspi
from gi.repository import GLib
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'support'))
from atspi_aide import pomper, tous  # noqa: E402

programme, sonde, fautes, journal, classe, scenario = sys.argv[1:7]
annonces = []
titres = []


def noter(e):
    try:
        if e.source.getRole() in (pyatspi.ROLE_STATUS_BAR, pyatspi.ROLE_NOTIFICATION):
            annonces.append(e.source.name)
        elif e.source.getRole() == pyatspi.ROLE_FRAME:
            titres.append(e.source.name)
    except GLib.GError:
        pass


def chercher(racine, role, nom=None, debut=None):
    def convient(a):
        try:
            return (a.getRole() == role and (nom is None or a.name == nom)
                    and (debut is None or a.name.startswith(debut))
                    and a.getState().contains(pyatspi.STATE_SHOWING))
        except GLib.GError:
            return False
    return next((a for a in tous(racine) if convient(a)), None)


def presser(racine, nom):
    """Presses a showing button, asking the tree again where an object went stale."""
    for _ in range(20):
        try:
            chercher(racine() if callable(racine) else racine, pyatspi.ROLE_PUSH_BUTTON, nom).queryAction().doAction(0)
            return
        except (GLib.GError, AttributeError):
            pomper(0.1)
    raise RuntimeError("bouton introuvable : " + nom)


def plumor():
    return next((a for a in pyatspi.Registry.getDesktop(0) if a and a.get_process_id() == int(pid)), None)


def regler(regles):
    regles = dict(regles, journal=journal)
    with open(fautes + ".tmp", "w") as f:
        json.dump(regles, f)
    os.replace(fautes + ".tmp", fautes)


def appels():
    try:
        with open(journal) as f:
            return sum(1 for _ in f)
    except OSError:
        return 0


def mesurer(nom, preparer, agir, fini, delai=40):
    """preparer() runs before the faults; agir() is the step the faults hit."""
    regler({"retard_ms": 200} if scenario == "lent" else {})
    preparer()
    if scenario == "lent":
        pomper(1)
    avant = appels()
    if scenario in ("5s", "fin"):
        regler({"bloquer": ["*"]})
        duree_blocage = 5 if scenario == "5s" else 15
        threading.Timer(duree_blocage, lambda: regler({})).start()
    debut = time.monotonic()
    if pid:
        sondeur = subprocess.Popen([sonde, pid], stdout=subprocess.PIPE, text=True)
        pomper(0.3)
        debut = time.monotonic()
        agir()
    else:
        agir()
        sondeur = subprocess.Popen([sonde, pid], stdout=subprocess.PIPE, text=True)
    ok = pomper(delai, fini)
    duree = time.monotonic() - debut
    # The calls the pupil waited for; what follows the result (a release
    # after the text is shown, the list's refresh) is counted apart.
    attendus = appels() - avant
    pomper(0.3)
    sondeur.send_signal(signal.SIGINT)
    gel = sondeur.communicate()[0].strip()
    if not ok:
        subprocess.run(["import", "-window", "root", "/tmp/echec-%s-%s.png" % (scenario, nom.replace(" ", "_"))])
    print(f"{nom:18} {'fini' if ok else 'PAS FINI'} en {duree:6.2f} s  {gel}  appels={attendus} (+{appels() - avant - attendus} après)", flush=True)
    regler({})
    pomper(1)


pyatspi.Registry.registerEventListener(noter, "object:property-change:accessible-name")

# The start, from the exec to the file list filled.
pid = ""
etat = {}


def demarrer():
    global pid
    # The folder is entered by the child's shell: a fork that enters a hung
    # share itself would hold this script with it.
    etat["p"] = subprocess.Popen(["sh", "-c", 'cd "$1" && exec "$2"', "_", classe, programme],
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    pid = str(etat["p"].pid)


def listeRemplie():
    a = plumor()
    l = a and chercher(a, pyatspi.ROLE_LIST, "Liste des textes")
    return l is not None and l.childCount > 3


mesurer("démarrage", lambda: None, demarrer, listeRemplie)
app = plumor()
liste = chercher(app, pyatspi.ROLE_LIST, "Liste des textes")


def dialogue(titre):
    return chercher(plumor(), pyatspi.ROLE_DIALOG, titre) or chercher(plumor(), pyatspi.ROLE_FILE_CHOOSER, titre)


# A click in the file list: the text shows in the reader pane.
cible = next(liste.getChildAtIndex(i) for i in range(liste.childCount) if liste.getChildAtIndex(i).name == "texte-03.txt")
x, y, l, h = cible.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
mesurer("clic dans la liste", lambda: None,
        lambda: subprocess.run(["xdotool", "mousemove", str(x + l // 2), str(y + h // 2), "click", "1"]),
        lambda: chercher(plumor(), pyatspi.ROLE_LABEL, " texte-03.txt") is not None)

# « Enregistrer sous » a new text: from the dialog's button to the status.


def ecrire(mots):
    chercher(plumor(), pyatspi.ROLE_TEXT, debut="Zone d'écriture").queryEditableText().insertText(0, mots, len(mots))


def champ(titre):
    d = dialogue(titre)
    return d and next((a for a in tous(d) if a.getRole() == pyatspi.ROLE_TEXT
                       and a.getState().contains(pyatspi.STATE_FOCUSED)), None)


def nommer(titre, nom):
    # The dialog may still be listing its folder: asked again until it answers.
    for _ in range(20):
        try:
            champ(titre).queryEditableText().setTextContents(nom)
            break
        except (GLib.GError, AttributeError):
            pomper(0.5)
    etat["d"] = dialogue(titre)


# « Enregistrer sous » a new text: the dialog shows (it lists the folder),
# then from its button to the status.
mesurer("dialogue Enreg. sous", lambda: ecrire("Le loup. "), lambda: presser(plumor, "Enregistrer"),
        lambda: champ("Enregistrer sous") is not None)
annonces.clear()
mesurer("Enregistrer sous", lambda: nommer("Enregistrer sous", "loup-%s.txt" % scenario),
        lambda: presser(etat["d"], "Enregistrer"),
        lambda: any("Texte enregistré sous" in a for a in annonces))

# « Ouvrir » a text: the dialog, then from its button to the title.
def ouvrirSansMettreAJour():
    """The text open is saved: « Non » to the question before the dialog."""
    presser(plumor, "Ouvrir un texte")
    pomper(10, lambda: chercher(plumor(), pyatspi.ROLE_PUSH_BUTTON, "Non") or champ("Ouvrir"))
    if not champ("Ouvrir"):
        presser(plumor, "Non")


mesurer("dialogue Ouvrir", lambda: None, ouvrirSansMettreAJour, lambda: champ("Ouvrir") is not None)
mesurer("Ouvrir", lambda: nommer("Ouvrir", "conte.txt"), lambda: presser(etat["d"], "Ouvrir"),
        lambda: chercher(plumor(), pyatspi.ROLE_LABEL, "conte.txt") is not None)

# « Enregistrer » the text open: from the button to the status.
annonces.clear()
mesurer("Enregistrer", lambda: ecrire("Il court. "), lambda: presser(plumor, "Enregistrer"),
        lambda: any("Texte enregistré." in a for a in annonces))

# SIGTERM with a text open and words typed, the share hung ("5s", "fin") or
# dragging: from the signal to the process's end.
ecrire("Fin. ")
pomper(1.5)
if scenario in ("5s", "fin"):
    regler({"bloquer": ["*"]})
debut = time.monotonic()
etat["p"].terminate()
try:
    etat["p"].wait(30)
    fin = time.monotonic() - debut
    regler({})
    marque = not os.stat(os.path.join(classe, "conte.txt")).st_mode & 0o222
    print(f"{'arrêt (SIGTERM)':18} fini en {fin:6.2f} s  conte.txt {'marqué' if marque else 'libéré'}", flush=True)
except subprocess.TimeoutExpired:
    print(f"{'arrêt (SIGTERM)':18} PAS FINI en 30 s", flush=True)
    etat["p"].kill()
regler({})
