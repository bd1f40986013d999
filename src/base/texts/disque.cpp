#include "base/texts/disque.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace disque {

int ecrireTout(int fd, const QByteArray &octets)
{
    const char *p = octets.constData();
    qsizetype reste = octets.size();
    while (reste > 0) {
        const ssize_t n = ::write(fd, p, size_t(reste));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        p += n;
        reste -= n;
    }
    return 0;
}

int synchroniserDossier(const QByteArray &dossier)
{
    const int fd = ::open(dossier.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int err = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return err;
}

unsigned int masqueCreation()
{
    // umask can only be read by setting it; read it once, on the UI thread.
    static const unsigned int masque = [] {
        const mode_t m = ::umask(022);
        ::umask(m);
        return static_cast<unsigned int>(m);
    }();
    return masque;
}

namespace {

// The drafts' names do not depend on the text's: a name of 255 bytes must
// still leave room for its draft.
const QLatin1String prefixeBrouillon(".plumor-");

Identite depuis(const struct stat &st)
{
    return {quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
            qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec};
}

// Whether the path still names the expected file, not following a link.
bool toujours(const QByteArray &natif, const Identite &attendu)
{
    struct stat st {};
    return ::lstat(natif.constData(), &st) == 0 && S_ISREG(st.st_mode) && depuis(st).memeFichier(attendu);
}

// A new text never replaces one another copy created under the same name
// meanwhile. Where the file system has no such rename, a hard link does the
// same; where it has neither, a plain rename is all there is.
int renommerSansRemplacer(const QByteArray &de, const QByteArray &vers)
{
    if (::renameat2(AT_FDCWD, de.constData(), AT_FDCWD, vers.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return errno;
    if (::link(de.constData(), vers.constData()) == 0)
        return ::unlink(de.constData()) == 0 ? 0 : errno;
    if (errno == EEXIST)
        return EEXIST;
    struct stat st {};
    if (::lstat(vers.constData(), &st) == 0)
        return EEXIST;
    return ::rename(de.constData(), vers.constData()) == 0 ? 0 : errno;
}

} // namespace

std::optional<Identite> identite(const QString &chemin)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(chemin).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return depuis(st);
}

bool estBrouillon(const QString &nom)
{
    return nom.startsWith(prefixeBrouillon) && nom.size() == prefixeBrouillon.size() + 6;
}

int remplacer(const QString &chemin, const QByteArray &octets, const Identite *attendu,
              const AvantRenommage &avantRenommage)
{
    const QByteArray natif = QFile::encodeName(chemin);
    if (attendu && !toujours(natif, *attendu))
        return cheminChange;
    struct stat existant {};
    const bool existe = ::lstat(natif.constData(), &existant) == 0;
    if (existe && S_ISLNK(existant.st_mode))
        return ELOOP;
    if (existe && S_ISDIR(existant.st_mode))
        return EISDIR;

    const QString dossier = QFileInfo(chemin).absolutePath();
    QByteArray modele = QFile::encodeName(dossier + u'/' + prefixeBrouillon + QLatin1String("XXXXXX"));
    const int fd = ::mkostemp(modele.data(), O_CLOEXEC);
    if (fd < 0)
        return errno;

    int err = ecrireTout(fd, octets);
    if (err == 0)
        err = ::fchmod(fd, existe ? (existant.st_mode & 07777) : (0666 & ~masqueCreation())) == 0 ? 0 : errno;
    if (err == 0 && existe) {
        // Keep the group of a shared folder's file where we are allowed to.
        if (::fchown(fd, existant.st_uid, existant.st_gid) != 0)
            (void)!::fchown(fd, uid_t(-1), existant.st_gid);
    }
    if (err == 0 && ::fsync(fd) != 0 && errno != EINVAL)
        err = errno;
    if (::close(fd) != 0 && err == 0)
        err = errno;
    if (err == 0 && avantRenommage)
        err = avantRenommage(modele);
    // The last look before the rename: never replace what is no longer the text.
    if (err == 0 && attendu && !toujours(natif, *attendu))
        err = cheminChange;
    if (err == 0)
        err = existe ? (::rename(modele.constData(), natif.constData()) == 0 ? 0 : errno)
                     : renommerSansRemplacer(modele, natif);
    if (err != 0) {
        ::unlink(modele.constData());
        return err;
    }
    // A folder that refuses the flush still holds the new text.
    (void)synchroniserDossier(QFile::encodeName(dossier));
    return 0;
}

int reecrireSurPlace(const QString &chemin, const QByteArray &octets, const Identite &attendu)
{
    const int fd = ::open(QFile::encodeName(chemin).constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == ELOOP ? cheminChange : errno;
    struct stat st {};
    int err = ::fstat(fd, &st) != 0 ? errno : 0;
    if (err == 0 && (!S_ISREG(st.st_mode) || !depuis(st).memeFichier(attendu)))
        err = cheminChange;
    QByteArray avant;
    if (err == 0) {
        avant.resize(qsizetype(st.st_size));
        if (::pread(fd, avant.data(), size_t(avant.size()), 0) != ssize_t(avant.size()))
            err = errno ? errno : EIO;
    }
    const auto ecrireDepuisLeDebut = [fd](const QByteArray &o) {
        if (::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0)
            return errno;
        const int e = ecrireTout(fd, o);
        return e != 0 ? e : (::fsync(fd) != 0 && errno != EINVAL ? errno : 0);
    };
    if (err == 0) {
        err = ecrireDepuisLeDebut(octets);
        if (err != 0)
            ecrireDepuisLeDebut(avant);
    }
    ::close(fd);
    return err;
}

int lire(const QString &chemin, qint64 limite, QByteArray &octets)
{
    octets.clear();
    // O_NONBLOCK: a FIFO named like a text would otherwise block the window
    // until someone writes into it; it is refused below as not a file.
    const int fd = ::open(QFile::encodeName(chemin).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int err = S_ISDIR(st.st_mode) ? EISDIR : (errno ? errno : EINVAL);
        ::close(fd);
        return err;
    }
    octets.resize(qsizetype(qMin<qint64>(st.st_size, limite + 1)));
    qsizetype lus = 0;
    while (lus < octets.size()) {
        const ssize_t n = ::read(fd, octets.data() + lus, size_t(octets.size() - lus));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            octets.clear();
            return err;
        }
        if (n == 0)
            break;
        lus += n;
    }
    octets.truncate(lus);
    ::close(fd);
    return 0;
}

QString description(int erreur)
{
    switch (erreur) {
    case ENOSPC: case EDQUOT:
        return QStringLiteral("Il n'y a plus de place sur le disque.");
    case EFBIG:
        return QStringLiteral("Le fichier dépasse la taille permise.");
    case EACCES: case EPERM:
        return QStringLiteral("Accès refusé.");
    case EROFS:
        return QStringLiteral("Le disque est en lecture seule.");
    case ENOENT:
        return QStringLiteral("Fichier ou dossier introuvable.");
    case ENOTDIR:
        return QStringLiteral("Chemin d'accès introuvable.");
    case EISDIR:
        return QStringLiteral("C'est un dossier, pas un fichier.");
    case ENAMETOOLONG:
        return QStringLiteral("Le nom du fichier est trop long.");
    case EIO:
        return QStringLiteral("Erreur de lecture ou d'écriture sur le disque.");
    case EBUSY: case ETXTBSY:
        return QStringLiteral("Le fichier est utilisé par un autre programme.");
    case ENOTCONN: case EHOSTDOWN: case EHOSTUNREACH: case ESTALE: case ETIMEDOUT:
        return QStringLiteral("Le lecteur réseau ne répond plus.");
    case EMFILE: case ENFILE: case ENOMEM:
        return QStringLiteral("Le système manque de ressources.");
    case ELOOP:
        return QStringLiteral("Le chemin est un lien, pas un texte.");
    case EEXIST:
        return QStringLiteral("Un fichier de ce nom vient d'être créé par quelqu'un d'autre.");
    case cheminChange:
        return QStringLiteral("Le texte a été déplacé ou remplacé par quelqu'un d'autre.");
    default:
        return QStringLiteral("Erreur système n° %1.").arg(erreur);
    }
}

} // namespace disque
