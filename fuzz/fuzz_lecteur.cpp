// The file reader on a file of any content: the length limit and one
// character per byte. The file lives in memory, so runs stay fast.
#include "base/cp1252.h"
#include "base/texts/disque.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *donnees, size_t taille)
{
    static const int fd = ::memfd_create("texte", 0);
    static const QString chemin = QStringLiteral("/proc/self/fd/%1").arg(fd);
    if (fd < 0 || ::ftruncate(fd, 0) != 0 || ::pwrite(fd, donnees, taille, 0) != ssize_t(taille))
        std::abort();
    // A small limit reaches the "too long" path with small inputs too.
    const qint64 limite = taille > 0 ? donnees[0] : 0;
    QByteArray octets;
    if (disque::lire(chemin, limite, octets) != 0)
        std::abort();
    const qsizetype attendu = qsizetype(qMin<qint64>(qint64(taille), limite + 1));
    if (octets.size() != attendu || memcmp(octets.constData(), donnees, size_t(attendu)) != 0)
        std::abort();
    if (cp1252::decode(octets).size() != octets.size())
        std::abort();
    return 0;
}
