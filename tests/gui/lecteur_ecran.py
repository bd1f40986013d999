"""What Orca would read of Plumor: every focusable control on screen has a
name or a label, and a save without a message box is spoken by the status.

    lecteur_ecran.py CLASS_FOLDER   (Plumor already started on it)
"""
import os
import sys
import time

import pyatspi
from gi.repository import GLib

dossier = sys.argv[1]
dits = []


def noter(e):
    try:
        if e.source.getRole() == pyatspi.ROLE_STATUS_BAR:
            dits.append(e.source.name)
    except GLib.GError:
        pass  # an object of the dialog, gone with it


def pomper(secondes, jusqua=lambda: False):
    fin = time.monotonic() + secondes
    while time.monotonic() < fin and not jusqua():
        GLib.MainContext.default().iteration(False)
        time.sleep(0.01)
    return jusqua()


def application():
    for app in pyatspi.Registry.getDesktop(0):
        if app and app.name == "plumor":
            return app
    return None


def tous(acc):
    yield acc
    for i in range(acc.childCount):
        enfant = acc.getChildAtIndex(i)
        if enfant is not None:
            yield from tous(enfant)


def chercher(racine, role, nom=None):
    for a in tous(racine):
        if a.getRole() == role and (nom is None or a.name == nom):
            return a
    return None


def echouer(message):
    print("FAIL:", message)
    sys.exit(1)


if not pomper(15, lambda: application() is not None and chercher(application(), pyatspi.ROLE_STATUS_BAR)):
    echouer("Plumor does not show on the accessibility bus")
app = application()

anonymes = []
for a in tous(app):
    etats = a.getState()
    if not (etats.contains(pyatspi.STATE_FOCUSABLE) and etats.contains(pyatspi.STATE_SHOWING)):
        continue
    if a.getRole() in (pyatspi.ROLE_LIST_ITEM, pyatspi.ROLE_MENU_ITEM, pyatspi.ROLE_MENU):
        continue
    etiquete = any(r.getRelationType() == pyatspi.RELATION_LABELLED_BY for r in a.getRelationSet())
    if not a.name and not etiquete:
        anonymes.append(a.getRoleName())
if anonymes:
    echouer("focusable controls without a name or a label: %s" % ", ".join(anonymes))

pyatspi.Registry.registerEventListener(noter, "object:property-change:accessible-name")
zone = chercher(app, pyatspi.ROLE_TEXT, "Zone d'écriture : aucun texte")
if zone is None:
    echouer("no writing zone named « Zone d'écriture : aucun texte »")
zone.queryEditableText().insertText(0, "Le renard", 9)
debut = time.monotonic()
bouton = chercher(app, pyatspi.ROLE_PUSH_BUTTON, "Enregistrer")
bouton.queryAction().doAction(0)


def dialogue():
    for a in tous(application()):
        if a.getRole() == pyatspi.ROLE_DIALOG and a.name == "Enregistrer sous":
            return a
    return None


if not pomper(10, lambda: dialogue() is not None):
    echouer("the save dialog does not show")
d = dialogue()
nom = next(a for a in tous(d) if a.getRole() == pyatspi.ROLE_TEXT and a.getState().contains(pyatspi.STATE_FOCUSED))
nom.queryEditableText().setTextContents("renard.txt")
chercher(d, pyatspi.ROLE_PUSH_BUTTON, "Enregistrer").queryAction().doAction(0)
attendu = ["Texte enregistré sous le nom « renard.txt »."]
if not pomper(10, lambda: dits == attendu):
    echouer("status after the save: %r, expected %r" % (dits, attendu))
print("status spoken %.2f s after the button: %s" % (time.monotonic() - debut, dits[0]))
# Saved again, twice: the same outcome is spoken each time, once.
bouton.queryAction().doAction(0)
pomper(10, lambda: len(dits) == 2)
bouton.queryAction().doAction(0)
attendu += ["Texte enregistré."] * 2
pomper(10, lambda: len(dits) == 3)
pomper(0.2)
if dits != attendu:
    echouer("status after saving twice: %r, expected %r" % (dits, attendu))
with open(os.path.join(dossier, "renard.txt"), "rb") as f:
    if f.read() != b"Le renard\r\n":
        echouer("renard.txt does not hold the text")
pomper(1, lambda: zone.name == "Zone d'écriture : renard.txt")
if zone.name != "Zone d'écriture : renard.txt":
    echouer("writing zone after the save: %r" % zone.name)
print("PASS")
