#!/usr/bin/env python3
"""A copy killed at each system call, one call at a time, of a take, a save,
a save under a new name, a release and the take-over of a dead copy's claim.
Afterwards the teacher's tool frees what the dead copy held, the next take of
the text succeeds and no hidden file of a claim stays. Drafts of a text a
killed save left are counted apart: they may hold the newest words.

    tuer_partout.py COPIE_MIXTE PLUMOR_OUTILS [OPERATION...]
"""
import os
import shutil
import signal
import subprocess
import sys
import tempfile

if __name__ == "__main__":
    COPIE, OUTILS = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    OPERATIONS = sys.argv[3:] or ["prendre", "ecrire", "sous", "liberer", "remplacer"]
# Every call that changes the folder, or a lock or mark: a kill before each
# one leaves every state the operation passes through.
APPELS = ["openat", "write", "close", "renameat2", "renameat", "unlinkat", "fchmod", "fcntl", "fsetxattr",
          "fsync", "fchown", "ftruncate", "pwrite64"]
TEXTE = "410d0a"  # "A\r\n"


def copie(dossier):
    return subprocess.Popen([COPIE], cwd=dossier, stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)


def dire(p, ligne):
    p.stdin.write(ligne + "\n")
    p.stdin.flush()
    return p.stdout.readline().strip()


def fin(p):
    p.stdin.close()
    p.wait()


def preparer(dossier, operation):
    """The folder as the operation finds it, and the copy that will run it."""
    with open(os.path.join(dossier, "a.txt"), "wb") as f:
        f.write(b"A\r\n")
    os.chmod(os.path.join(dossier, "a.txt"), 0o644)
    if operation == "remplacer":
        # A copy gone without a word, its mark lifted by hand: its claim stays.
        morte = copie(dossier)
        assert dire(morte, "prendre a.txt") == "lu"
        morte.kill()
        morte.wait()
        os.chmod(os.path.join(dossier, "a.txt"), 0o644)
    p = copie(dossier)
    if operation in ("ecrire", "liberer"):
        assert dire(p, "prendre a.txt") == "lu"
    else:
        assert dire(p, "octets a.txt") != "erreur"
    return p


COMMANDES = {"prendre": "prendre a.txt", "ecrire": "ecrire a.txt 420d0a", "sous": "sous n.txt " + TEXTE,
             "liberer": "liberer a.txt", "remplacer": "prendre a.txt"}


def prises(dossier):
    """The hidden files of claims: claims, successors, their drafts."""
    return [f for f in os.listdir(dossier)
            if f.startswith(".plumor-prise-") or (f.startswith(".plumor-p") and len(f) == 15)]


def tuer_au(p, appel, n):
    """strace on every thread of the running copy p, killing it at the n-th
    `appel`; returns once strace is attached, before any command is sent."""
    trace = subprocess.Popen(["strace", "-f", "-o", os.devnull, "-p", str(p.pid), "-e", "trace=" + appel,
                              "-e", "inject=%s:signal=KILL:when=%d" % (appel, n)],
                             stderr=subprocess.PIPE, text=True)
    while "attached" not in trace.stderr.readline():
        if trace.poll() is not None:
            raise SystemExit("strace ne peut pas suivre la copie")
    return trace


def essai(operation, appel, n):
    """Killed at the n-th `appel`: None when the operation ended first, else
    (refused texts, hidden files of claims, text drafts) afterwards."""
    dossier = tempfile.mkdtemp(prefix="tuer-")
    try:
        p = preparer(dossier, operation)
        trace = tuer_au(p, appel, n)
        reponse = dire(p, COMMANDES[operation])
        if reponse:
            fin(p)
            trace.wait()
            return None
        p.wait()
        trace.wait()
        refuses = 0
        for nom in ("a.txt", "n.txt"):
            chemin = os.path.join(dossier, nom)
            if not os.path.exists(chemin):
                continue
            # A free text is taken at once; a mark the dead copy left is the
            # teacher's tool's to lift first.
            if os.stat(chemin).st_mode & 0o200 == 0:
                subprocess.run([OUTILS, "marques", dossier, "--liberer", nom], capture_output=True)
            suivante = copie(dossier)
            if dire(suivante, "prendre " + nom) != "lu":
                refuses += 1
            fin(suivante)
        if not os.path.exists(os.path.join(dossier, "n.txt")) and operation == "sous":
            suivante = copie(dossier)
            refuses += dire(suivante, "sous n.txt " + TEXTE) != "ecrit"
            fin(suivante)
        tot = len(prises(dossier))
        # What a copy killed before it wrote a word in a file goes once older
        # than the bound the code states: an hour later, the teacher's listing.
        for f in os.listdir(dossier):
            if f.startswith("."):
                os.utime(os.path.join(dossier, f), (0, 1))
        subprocess.run([OUTILS, "marques", dossier], capture_output=True)
        reste = prises(dossier)
        textes = len([f for f in os.listdir(dossier) if f.startswith(".")]) - len(reste)
        return refuses, tot, reste, textes
    finally:
        shutil.rmtree(dossier, ignore_errors=True)


def main():
    if shutil.which("strace") is None:
        print("strace manque")
        return 77
    echecs = 0
    for operation in OPERATIONS:
        tues = brouillons = tot = 0
        for appel in APPELS:
            n = 1
            while True:
                r = essai(operation, appel, n)
                if r is None:
                    break
                tues += 1
                refuses, avant, reste, textes = r
                brouillons += textes
                tot += avant
                if refuses or reste:
                    echecs += 1
                    print("%s, tuée au %d-e %s : %d texte(s) refusé(s), restent %s" % (operation, n, appel, refuses, reste))
                n += 1
        print("%s : %d arrêts, %d fichier(s) de prise restés jusqu'au délai, %d brouillon(s) de texte laissé(s)"
              % (operation, tues, tot, brouillons))
    return 1 if echecs else 0


if __name__ == "__main__":
    signal.signal(signal.SIGPIPE, signal.SIG_DFL)
    sys.exit(main())
