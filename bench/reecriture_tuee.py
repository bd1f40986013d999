#!/usr/bin/env python3
"""A held text saved in place, its copy killed at every write, one write at a
time: how many texts the kill left mixed (neither the old text nor the new
one), and how many stay mixed once the next start has judged the dead copy's
rewrite by its bytes, from the record it kept.

    reecriture_tuee.py [--wine] [--sans-note] [--appels write,pwrite64,...] COPIE_MIXTE

On Linux run it as root: the copies run as nobody in a folder where nothing
may be created, so every save is made in place. Under Wine (--wine,
COPIE_MIXTE the .exe) every save of a held text is made in place.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "fiabilite"))
from tuer_partout import tuer_au  # noqa: E402

ANCIEN = ("Il \xe9tait une fois une classe qui \xe9crivait.\r\n" * 40).encode("cp1252")
NOUVEAU = ("La classe a r\xe9\xe9crit son conte, plus court.\r\n" * 25).encode("cp1252")


def lancer(args, dossier):
    commande = list(args)
    if os.geteuid() == 0 and not args[0].startswith("wine"):
        commande = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"] + commande
    return subprocess.Popen(commande, cwd=dossier, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, text=True)


def dire(p, ligne):
    p.stdin.write(ligne + "\n")
    p.stdin.flush()
    return p.stdout.readline().strip()


def essai(copie, appels, n, noter=True):
    """Killed at the n-th call of `appels` after the take: None when the save
    ended first, else (mixed after the kill, mixed after the next start)."""
    racine = tempfile.mkdtemp(prefix="reecriture-")
    os.chmod(racine, 0o755)
    dossier = os.path.join(racine, "classe")
    os.mkdir(dossier)
    texte, journal = os.path.join(dossier, "a.txt"), os.path.join(racine, "journal")
    with open(texte, "wb") as f:
        f.write(ANCIEN)
    open(journal, "wb").close()
    if os.geteuid() == 0:
        for chemin in (racine, texte, journal):
            os.chown(chemin, 65534, 65534)
    os.chmod(dossier, 0o555)
    try:
        p = lancer(copie, dossier)
        assert not noter or dire(p, "noter " + journal) == "note"
        assert dire(p, "prendre a.txt") == "lu", "prise refusée"
        trace = tuer_au(p, appels, n)
        reponse = dire(p, "ecrire a.txt " + NOUVEAU.hex())
        p.stdin.close()
        p.wait()
        trace.wait()
        if reponse:
            return None
        melange = lambda: open(texte, "rb").read() not in (ANCIEN, NOUVEAU)
        apres_coup = melange()
        suivante = lancer(copie, dossier)
        dire(suivante, "terminer " + journal)
        suivante.stdin.close()
        suivante.wait()
        return apres_coup, melange()
    finally:
        os.chmod(dossier, 0o755)
        shutil.rmtree(racine, ignore_errors=True)


def main():
    a = argparse.ArgumentParser()
    a.add_argument("--wine", action="store_true")
    a.add_argument("--sans-note", action="store_true", help="no record of the rewrite: as before it was kept")
    a.add_argument("--appels", default="write,pwrite64,ftruncate,fchmod,fsetxattr,fsync,fdatasync,rename,renameat2,openat")
    a.add_argument("copie")
    o = a.parse_args()
    copie = (["wine"] if o.wine else []) + [os.path.abspath(o.copie)]
    tues = melanges = restes = 0
    # strace counts each call apart: one call at a time, kill after kill.
    for appel in o.appels.split(","):
        n = 1
        while True:
            r = essai(copie, appel, n, not o.sans_note)
            if r is None:
                break
            tues += 1
            melanges += r[0]
            restes += r[1]
            n += 1
    print("%d arrêts pendant la sauvegarde ; textes mélangés après l'arrêt : %d ; après le démarrage suivant : %d"
          % (tues, melanges, restes))
    return 1 if restes else 0


if __name__ == "__main__":
    raise SystemExit(main())
