#include "texts/verrou.h"

#include <QFile>

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
// Holders keep the lock for a few file-system calls; a holder slower than
// this is not a Plumor copy, and the pupil must not wait on it.
constexpr int attenteMaxMs = 2000;
} // namespace

VerrouFichier::VerrouFichier(const QString &chemin)
{
    // O_NONBLOCK: a FIFO or device named like a text must not freeze the
    // window. Writing where the file allows it, since NFS grants an exclusive
    // lock only on a descriptor open for writing; a text only a copy holding
    // it may write (marked) cannot be taken anyway.
    const QByteArray natif = QFile::encodeName(chemin);
    const int options = O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW;
    int fd = ::open(natif.constData(), O_RDWR | options);
    if (fd < 0)
        fd = ::open(natif.constData(), O_RDONLY | options);
    if (fd < 0)
        return;
    for (int attente = 0;; ++attente) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            m_fd = fd;
            return;
        }
        if ((errno != EWOULDBLOCK && errno != EINTR) || attente >= attenteMaxMs)
            break; // ENOLCK, EOPNOTSUPP, EINVAL, EBADF (NFS, read-only descriptor)...
        const timespec ms{0, 1000000};
        ::nanosleep(&ms, nullptr);
    }
    ::close(fd);
}

VerrouFichier::~VerrouFichier()
{
    // Closing the only descriptor drops the lock.
    if (m_fd >= 0)
        ::close(m_fd);
}
