#include "base/texts/verrou.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// Holders keep the lock for a few file-system calls; a holder slower than
// this is not a Plumor copy, and the pupil must not wait on it.
constexpr int attenteMaxMs = 2000;

Descripteur ouvrir(const DossierClasse &dossier, const QString &chemin)
{
    // O_NONBLOCK: a FIFO or device named like a text must not freeze the
    // window. Writing where the file allows it, since NFS grants an exclusive
    // lock only on a descriptor open for writing; a text only a copy holding
    // it may write (marked) cannot be taken anyway.
    Descripteur d = dossier.ouvrir(chemin, O_RDWR | O_NONBLOCK);
    if (d.ok() || (d.erreur() != EACCES && d.erreur() != EPERM && d.erreur() != EROFS && d.erreur() != ETXTBSY
                   && d.erreur() != EISDIR))
        return d;
    return dossier.ouvrir(chemin, O_RDONLY | O_NONBLOCK);
}

bool nommeParLeChemin(int fd, const DossierClasse &dossier, const QString &chemin)
{
    const Descripteur nomme = dossier.ouvrir(chemin, O_PATH);
    struct stat ouvert {}, st {};
    return nomme.ok() && ::fstat(fd, &ouvert) == 0 && ::fstat(nomme.fd(), &st) == 0 && ouvert.st_dev == st.st_dev
           && ouvert.st_ino == st.st_ino;
}
} // namespace

VerrouFichier::VerrouFichier(const DossierClasse &dossier, const QString &chemin)
{
    for (int attente = 0; attente <= attenteMaxMs; ++attente) {
        Descripteur d = ouvrir(dossier, chemin);
        if (!d.ok()) {
            m_erreur = d.erreur();
            return;
        }
        if (::flock(d.fd(), LOCK_EX | LOCK_NB) == 0) {
            // A save renames a new file over the text: a lock on the file it
            // replaced would keep no other copy out, so it is taken again.
            if (nommeParLeChemin(d.fd(), dossier, chemin)) {
                m_fichier = std::move(d);
                m_etat = Etat::Tenu;
                return;
            }
        } else if (errno != EWOULDBLOCK && errno != EINTR) {
            // ENOLCK, EOPNOTSUPP, EINVAL, EBADF (NFS, read-only descriptor)...
            m_fichier = std::move(d);
            m_etat = Etat::SansVerrou;
            return;
        } else {
            const timespec ms{0, 1000000};
            ::nanosleep(&ms, nullptr);
        }
    }
    m_etat = Etat::Occupe;
    m_erreur = EAGAIN;
}
