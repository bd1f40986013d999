// Linux: what systeme.h adds to the system's own calls.
#include "base/texts/systeme.h"

#include <QDir>
#include <QFile>
#include <QList>

#include <cerrno>
#include <linux/fs.h>
#include <linux/openat2.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/vfs.h>
#include <sys/xattr.h>

namespace sys {

namespace {

// A small file of /proc or /etc; empty, with errno set, when it cannot be read.
QByteArray lireTout(const char *chemin, qint64 limite)
{
    const int fd = ::open(chemin, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return {};
    QByteArray octets(limite + 1, Qt::Uninitialized);
    const ssize_t n = ::read(fd, octets.data(), size_t(octets.size()));
    const int err = errno;
    ::close(fd);
    errno = n < 0 ? err : 0;
    return n < 0 || n > limite ? QByteArray() : octets.left(n);
}

} // namespace

std::optional<quint64> debutProcessus(qint64 pid)
{
    const QByteArray stat = lireTout(QByteArray("/proc/" + QByteArray::number(pid) + "/stat").constData(), 4096);
    if (stat.isEmpty())
        return errno == ENOENT || errno == ESRCH ? std::nullopt : std::optional<quint64>(0);
    // The command name may hold anything, parentheses included: fields are
    // counted from its last ')'; the start time is field 22, the 20th after it.
    const QList<QByteArray> champs = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (champs.size() <= 19)
        return 0;
    if (champs.at(0) == "Z")
        return std::nullopt;
    return champs.at(19).toULongLong();
}

QByteArray idMachine()
{
    return lireTout("/etc/machine-id", 256);
}

QString idDemarrage()
{
    return QString::fromLatin1(lireTout("/proc/sys/kernel/random/boot_id", 64).trimmed());
}

QString utilisateur()
{
    const passwd *p = ::getpwuid(::geteuid());
    return p ? QString::fromLocal8Bit(p->pw_name) : QString::number(::geteuid());
}

QString dossierEtat()
{
    // A relative XDG_STATE_HOME is invalid and ignored, as the XDG base directories require.
    const QString etat = qEnvironmentVariable("XDG_STATE_HOME");
    const QString base = QDir::isAbsolutePath(etat) ? etat : QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/plumor");
}

QString dossierTemporaire()
{
    // Unless TMPDIR names another.
    const QString tmp = qEnvironmentVariable("TMPDIR");
    return (QDir::isAbsolutePath(tmp) ? tmp : QStringLiteral("/var/tmp")) + QStringLiteral("/plumor-%1").arg(::geteuid());
}

QByteArray cheminDe(int fd)
{
    char tampon[4096];
    const QByteArray lien = "/proc/self/fd/" + QByteArray::number(fd);
    const ssize_t n = ::readlink(lien.constData(), tampon, sizeof tampon);
    return n > 0 ? QByteArray(tampon, int(n)) : QByteArray();
}

int ouvrirDessous(int dossier, const QByteArray &relatif, int options, unsigned int mode)
{
    open_how comment {};
    comment.flags = quint64(options);
    comment.mode = (options & (O_CREAT | O_TMPFILE)) ? mode : 0;
    comment.resolve = RESOLVE_BENEATH | RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
    for (int essai = 0; essai < 8; ++essai) {
        const long fd = ::syscall(SYS_openat2, dossier, relatif.constData(), &comment, sizeof comment);
        if (fd >= 0)
            return int(fd);
        // EAGAIN: a rename somewhere in the file system raced the lookup.
        if (errno != EAGAIN && errno != EINTR)
            break;
    }
    return -1;
}

int rouvrirEnEcriture(int fd)
{
    const QByteArray lui = "/proc/self/fd/" + QByteArray::number(fd);
    return ::open(lui.constData(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
}

int lireAttributEtendu(int fd, const char *nom, QByteArray &valeur)
{
    char tampon[16];
    const ssize_t n = ::fgetxattr(fd, nom, tampon, sizeof tampon);
    if (n < 0)
        return errno;
    valeur = QByteArray(tampon, int(n));
    return 0;
}

int ecrireAttributEtendu(int fd, const char *nom, const QByteArray &valeur)
{
    return ::fsetxattr(fd, nom, valeur.constData(), size_t(valeur.size()), 0) == 0 ? 0 : errno;
}

bool surCifs(int fd)
{
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0)
        return false;
    const auto type = static_cast<unsigned long>(fs.f_type) & 0xFFFFFFFFul;
    return type == 0xFF534D42ul || type == 0xFE534D42ul || type == 0x517Bul; // CIFS, SMB2, SMB
}

bool remplaceFichierOuvert()
{
    return true;
}

bool nomsSansCasse(int dossier)
{
    struct statfs fs {};
    if (::fstatfs(dossier, &fs) != 0)
        return false;
    switch (static_cast<unsigned long>(fs.f_type) & 0xFFFFFFFFul) {
    case 0xFF534D42ul: case 0xFE534D42ul: case 0x517Bul: // CIFS, SMB2, SMB
    case 0x4D44ul: case 0x2011BAB0ul: case 0x5346544Eul: case 0x7366746Eul: // FAT, exFAT, NTFS (FUSE-less ones)
        return true;
    default: {
        // ext4's per-folder case folding (chattr +F); asked of the folder
        // opened for reading, as an O_PATH descriptor answers no ioctl.
        const int fd = ::openat(dossier, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        int drapeaux = 0;
        const bool plie = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &drapeaux) == 0 && (drapeaux & FS_CASEFOLD_FL) != 0;
        if (fd >= 0)
            ::close(fd);
        return plie;
    }
    }
}

} // namespace sys
