"""The eight roads of a blind pupil through Plumor, by keys alone, with Orca
running: each row gives the keys and what Orca must say on the way. What it
says is read from the file PAROLE that Orca's log call fills as it speaks.
Every wait is for a condition, with generous bounds.
   orca_routes.py CLASS_FOLDER"""
import os, re, subprocess, sys
import pyatspi
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'support'))
from atspi_aide import pomper, tous  # noqa: E402

CLASSE = sys.argv[1]
PAROLE = os.environ["PAROLE"]
ATTENTE = 60  # seconds, for what must come; a slow machine only slows the test


def parole():
    """The utterances so far, without the voice Orca gives each."""
    with open(PAROLE, encoding="utf-8") as f:
        return [m.group(1).strip() for m in map(re.compile(r"SPEECH OUTPUT: '(.*?)' ?(\{.*\})?$").match, f) if m]


class Route:
    def __init__(self, nom):
        self.nom, self.touches, self.debut, self.echec = nom, [], len(parole()), None

    def dit(self):
        return parole()[self.debut:]

    def touche(self, *touches):
        for t in touches if not self.echec else ():
            self.touches.append(t)
            subprocess.run(["xdotool", "key", "--delay", "100", t], check=True)

    def taper(self, texte):
        if self.echec:
            return
        self.touches.append(repr(texte))
        subprocess.run(["xdotool", "type", "--delay", "100", texte], check=True)

    def entendre(self, phrase, depuis=None):
        """Waits until Orca has said `phrase` since this road began."""
        if self.echec:
            return False
        if pomper(ATTENTE, lambda: any(phrase in d for d in self.dit()[depuis or 0:])):
            return True
        self.echec = "never heard %r" % phrase
        return False

    def entendre_un(self, *phrases):
        """Waits until Orca says one of `phrases`; returns it."""
        if self.echec:
            return None
        dite = lambda: next((p for p in phrases if any(p in d for d in self.dit())), None)
        if not pomper(ATTENTE, dite):
            self.echec = "never heard any of %r" % (phrases,)
        return dite()

    def chercher(self, touche, phrase, fois=12):
        """Presses `touche` until Orca says `phrase`, as a pupil listens
        while walking a menu or the Tab order."""
        for _ in range(fois):
            if self.echec:
                return
            n = len(self.dit())
            self.touche(touche)
            # Each press moves somewhere, and Orca says where.
            if not pomper(ATTENTE, lambda: len(self.dit()) > n):
                self.echec = "nothing said after %s" % touche
                return
            pomper(1)  # the rest of the utterance, which the check below does not wait for
            if any(phrase in d for d in self.dit()[n:]):
                return
        self.echec = "%r not reached by %s" % (phrase, touche)

    def verifier(self, vrai, message):
        if not self.echec and not vrai:
            self.echec = message


def plumor():
    return next((a for a in pyatspi.Registry.getDesktop(0) if a and a.name == "plumor"), None)


def dialogue(r, nom):
    """Waits until the dialog `nom` is up with its name field focused: what
    is typed before would go elsewhere."""
    def champ():
        d = next((a for a in tous(plumor()) if a.getRole() == pyatspi.ROLE_DIALOG and a.name == nom), None)
        return d and any(a.getRole() == pyatspi.ROLE_TEXT and a.getState().contains(pyatspi.STATE_FOCUSED)
                         for a in tous(d))
    r.verifier(pomper(ATTENTE, lambda: plumor() and champ()), "no dialog %r with its field focused" % nom)


def menu(r, entree, par="F10"):
    """Opens the Fichier menu by `par` and walks down to `entree`."""
    n = len(r.dit())
    r.touche(par)
    r.entendre("Fichier", n)
    if par == "Alt":
        r.touche("Down")
    r.chercher("Down", entree)
    r.touche("Return")


routes = []


def route(f):
    routes.append(f)
    return f


@route
def demarrer(r):
    r.entendre("Zone d'écriture : aucun texte")


@route
def ecrire(r):
    r.taper("Le renard")
    r.entendre("d")


@route
def enregistrer_sous(r):
    menu(r, "Enregistrer sous")
    dialogue(r, "Enregistrer sous")
    r.taper("renard")
    r.touche("Return")
    r.entendre("Texte enregistré sous le nom « renard.txt »")


@route
def fermer_ouvrir(r):
    menu(r, "Fermer", par="Alt")
    # Closing always asks; Yes saves it again.
    r.entendre("Voulez-vous enregistrer le texte?")
    r.touche("Return")
    r.entendre("Texte fermé.")
    r.entendre("« renard.txt » est libéré")
    menu(r, "Ouvrir")
    dialogue(r, "Ouvrir")
    r.taper("renard.txt")
    r.touche("Return")
    r.entendre("Zone d'écriture : renard.txt")


@route
def lire(r):
    r.chercher("Tab", "Liste des textes")
    r.touche("Down")
    r.chercher("Tab", "Texte lu : bienvenue.txt")


@route
def lexique(r):
    r.chercher("Tab", "Thème du lexique")
    r.touche("Down")
    r.entendre("Thème « ")
    r.chercher("Tab", "Mots du thème")
    r.touche("Down")
    r.entendre("copié")
    r.entendre("Zone d'écriture : renard.txt")
    avant = len(r.dit())
    r.touche("ctrl+End", "ctrl+v")
    # Left and back: the length heard counts the pasted word.
    r.chercher("Tab", "Ouvrir un texte")
    n = len(r.dit())
    r.touche("shift+Tab")
    r.entendre("zone d'écriture, ", n)
    longueurs = [int(m.group(1)) for d in r.dit()[avant:] for m in [re.search(r"zone d'écriture, (\d+) carac", d)] if m]
    r.verifier(longueurs and longueurs[-1] > 11, "length heard after the paste: %s" % longueurs)


@route
def imprimer(r):
    menu(r, "Imprimer")
    r.entendre("Voulez-vous imprimer?")
    r.touche("Return")
    # Without a printer that is said; with one, the font is asked, then the
    # text goes.
    if r.entendre_un("Aucune imprimante n'est installée.", "Choisir une police") == "Choisir une police":
        r.touche("Return")
        r.entendre("Texte envoyé à l'imprimante.")
    else:
        r.touche("Return")


@route
def quitter(r):
    menu(r, "Quitter")
    r.entendre("Voulez-vous enregistrer le texte?")
    r.touche("Return")
    r.verifier(pomper(ATTENTE, lambda: plumor() is None), "Plumor still runs")


pomper(ATTENTE, plumor)
echecs = 0
for f in routes:
    r = Route(f.__name__)
    f(r)
    print("%-4s %-16s keys: %s\n     heard: %s" % ("FAIL" if r.echec else "ok", r.nom, " ".join(r.touches),
                                                    " | ".join(r.dit())))
    if r.echec:
        print("     " + r.echec)
        echecs += 1
sys.exit(1 if echecs else 0)
