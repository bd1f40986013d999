#!/usr/bin/python3
# A share that misbehaves as school networks do: a FUSE passthrough of SOURCE
# at POINT whose faults a JSON file says, read again at every call:
#   {"retard_ms": 200}                     every call answers that late
#   {"bloquer": ["rename"]}                those calls hang until the key is taken
#                                          out of the file; "*": all but the closes
#                                          (flush), which the kernel makes for a
#                                          process that ends and which no program
#                                          can abandon
#   {"ecritures_perdues": "ENOSPC"}        a draft's writes are taken and dropped,
#                                          its fsync succeeds, its close fails (a
#                                          server that writes behind)
#   {"reponses_perdues": {"rename": "ENOENT"}}  each such call is made, its reply
#                                          lost: the retry's answer comes back
#   {"deconnecte": true}                   every call fails with ENOTCONN
#   {"journal": "/tmp/appels"}             each call's name and path appended there
#   {"bloquer": [...], "bloquer_s": 4}     each blocked call let go after 4 s
#
# Otherwise it answers as the school's NFS and SMB clients do: one round trip
# per request (the attributes libfuse fetches to answer a create or a chmod
# come with it), no extended attributes, nothing to flush a folder with.
#
#   partage_capricieux.py SOURCE POINT FAUTES.json [droits]   (in the foreground; fusepy)
import errno
import json
import os
import sys
import threading
import time

import fusepy
from fusepy import FUSE, FuseOSError, Operations


class Capricieux(Operations):
    # Requests whose reply libfuse completes with a getattr of the same path.
    AVEC_ATTRIBUTS = {"create", "mkdir", "symlink", "link", "chmod", "chown", "truncate", "utimens"}

    def __init__(self, source, fautes):
        self.source, self.fautes = source, fautes
        self.suites = {}  # by thread: libfuse's threads enter Python anew at each call

    def regles(self):
        try:
            with open(self.fautes) as f:
                return json.load(f)
        except (OSError, ValueError):
            return {}

    def avant(self, appel, chemin):
        r = self.regles()
        if r.get("journal"):
            with open(r["journal"], "a") as j:
                j.write(f"{appel} {chemin}\n")
        if r.get("deconnecte"):
            raise FuseOSError(errno.ENOTCONN)
        time.sleep(r.get("retard_ms", 0) / 1000)
        debut = time.monotonic()
        while appel in r.get("bloquer", []) or ("*" in r.get("bloquer", []) and appel != "flush"):
            # A process killed meanwhile is let go, as NFS and SMB clients let
            # a killed process go: the kernel interrupts its request.
            if fusepy._libfuse.fuse_interrupted():
                raise FuseOSError(errno.EINTR)
            if time.monotonic() - debut > r.get("bloquer_s", float("inf")):
                break
            time.sleep(0.05)
            r = self.regles()
        return r

    def apres(self, appel, r):
        erreur = r.get("reponses_perdues", {}).get(appel)
        if erreur:
            raise FuseOSError(getattr(errno, erreur))

    @staticmethod
    def brouillon(chemin):  # a draft of a save, not a claim
        nom = chemin.rsplit("/", 1)[-1]
        return nom.startswith(".plumor-") and len(nom) == 14

    def reel(self, chemin):
        return os.path.join(self.source, chemin.lstrip("/"))

    def __call__(self, appel, chemin, *args):
        fil = threading.get_ident()
        if appel == "getattr" and self.suites.pop(fil, None) == chemin:
            return super().__call__(appel, chemin, *args)
        r = self.avant(appel, chemin)
        resultat = super().__call__(appel, chemin, *args)
        self.apres(appel, r)
        if appel in self.AVEC_ATTRIBUTS:
            self.suites[fil] = chemin
        else:
            self.suites.pop(fil, None)
        return resultat

    def getxattr(self, chemin, nom, position=0):
        raise FuseOSError(errno.ENOSYS)

    def listxattr(self, chemin):
        raise FuseOSError(errno.ENOSYS)

    def fsyncdir(self, chemin, datasync, fh):
        raise FuseOSError(errno.ENOSYS)

    def access(self, chemin, mode):
        if not os.access(self.reel(chemin), mode):
            raise FuseOSError(errno.EACCES)

    def chmod(self, chemin, mode):
        os.chmod(self.reel(chemin), mode)

    def chown(self, chemin, uid, gid):
        os.chown(self.reel(chemin), uid, gid)

    def create(self, chemin, mode, fi=None):
        # Owned by the caller, as a share's server makes it, not by this root daemon.
        fd = os.open(self.reel(chemin), os.O_WRONLY | os.O_CREAT | os.O_EXCL, mode)
        uid, gid, _ = fusepy.fuse_get_context()
        os.fchown(fd, uid, gid)
        return fd

    def flush(self, chemin, fh):  # every close(2); what a write-behind server says there
        perdue = self.regles().get("ecritures_perdues")
        if perdue and self.brouillon(chemin):
            raise FuseOSError(getattr(errno, perdue))
        return os.fsync(fh)

    def fsync(self, chemin, datasync, fh):
        return os.fsync(fh)

    def getattr(self, chemin, fh=None):
        st = os.lstat(self.reel(chemin))
        return {k: getattr(st, k) for k in ("st_atime", "st_ctime", "st_gid", "st_mode", "st_mtime", "st_nlink",
                                             "st_size", "st_uid", "st_ino")}

    def link(self, cible, source):
        os.link(self.reel(source), self.reel(cible))

    def mkdir(self, chemin, mode):
        os.mkdir(self.reel(chemin), mode)

    def open(self, chemin, drapeaux):
        return os.open(self.reel(chemin), drapeaux)

    def read(self, chemin, taille, position, fh):
        return os.pread(fh, taille, position)

    def readdir(self, chemin, fh):  # with each entry's type, as SMB and NFS give it
        entrees = [(".", None, 0), ("..", None, 0)]
        with os.scandir(self.reel(chemin)) as dossier:
            for e in dossier:
                entrees.append((e.name, {"st_mode": e.stat(follow_symlinks=False).st_mode, "st_ino": e.inode()}, 0))
        return entrees

    def readlink(self, chemin):
        return os.readlink(self.reel(chemin))

    def release(self, chemin, fh):
        os.close(fh)

    def rename(self, ancien, nouveau):
        os.rename(self.reel(ancien), self.reel(nouveau))

    def rmdir(self, chemin):
        os.rmdir(self.reel(chemin))

    def statfs(self, chemin):
        st = os.statvfs(self.reel(chemin))
        return {k: getattr(st, k) for k in ("f_bavail", "f_bfree", "f_blocks", "f_bsize", "f_favail", "f_ffree",
                                             "f_files", "f_flag", "f_frsize", "f_namemax")}

    def symlink(self, cible, source):
        os.symlink(source, self.reel(cible))

    def truncate(self, chemin, longueur, fh=None):
        os.truncate(self.reel(chemin) if fh is None else fh, longueur)

    def unlink(self, chemin):
        os.unlink(self.reel(chemin))

    def utimens(self, chemin, temps=None):
        os.utime(self.reel(chemin), temps)

    def write(self, chemin, donnees, position, fh):
        if self.regles().get("ecritures_perdues") and self.brouillon(chemin):
            return len(donnees)
        return os.pwrite(fh, donnees, position)


if __name__ == "__main__":
    source, point, fautes = sys.argv[1:4]
    # hard_remove: an open file renamed over or unlinked is not hidden under a
    # second name by libfuse (a rename of its own the faults would reach).
    # "droits": the kernel checks rights as a server would, for a pupil's calls
    # (it asks for attributes more often then).
    FUSE(Capricieux(source, fautes), point, foreground=True, use_ino=True, allow_other=True, hard_remove=True,
         default_permissions=sys.argv[4:5] == ["droits"])
