#include "base/texts/verrou.h"

#include <QFile>

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

int ouvrir(const QByteArray &natif)
{
    // O_NONBLOCK: a FIFO or device named like a text must not freeze the
    // window. Writing where the file allows it, since NFS grants an exclusive
    // lock only on a descriptor open for writing; a text only a copy holding
    // it may write (marked) cannot be taken anyway.
    const int options = O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW;
    const int fd = ::open(natif.constData(), O_RDWR | options);
    return fd >= 0 ? fd : ::open(natif.constData(), O_RDONLY | options);
}

bool nommeParLeChemin(int fd, const QByteArray &natif)
{
    struct stat ouvert {}, nomme {};
    return ::fstat(fd, &ouvert) == 0 && ::lstat(natif.constData(), &nomme) == 0 && ouvert.st_dev == nomme.st_dev
           && ouvert.st_ino == nomme.st_ino;
}
} // namespace

VerrouFichier::VerrouFichier(const QString &chemin)
{
    const QByteArray natif = QFile::encodeName(chemin);
    for (int attente = 0; attente <= attenteMaxMs; ++attente) {
        const int fd = ouvrir(natif);
        if (fd < 0)
            return;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            // A save renames a new file over the text: a lock on the file it
            // replaced would keep no other copy out, so it is taken again.
            if (nommeParLeChemin(fd, natif)) {
                m_fd = fd;
                return;
            }
        } else if (errno != EWOULDBLOCK && errno != EINTR) {
            ::close(fd);
            return; // ENOLCK, EOPNOTSUPP, EINVAL, EBADF (NFS, read-only descriptor)...
        } else {
            const timespec ms{0, 1000000};
            ::nanosleep(&ms, nullptr);
        }
        ::close(fd);
    }
}

VerrouFichier::~VerrouFichier()
{
    // Closing the only descriptor drops the lock.
    if (m_fd >= 0)
        ::close(m_fd);
}
