#include "base/texts/disque.h"
#include "base/texts/systeme.h"

#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QSet>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdlib>
#include <limits>

namespace disque {

int ecrireTout(int fd, const QByteArray &octets)
{
    const char *p = octets.constData();
    qsizetype reste = octets.size();
    while (reste > 0) {
        const ssize_t n = sys::write(fd, p, size_t(reste));
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
    const int fd = sys::open(dossier.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int err = synchroniserDossier(fd);
    sys::close(fd);
    return err;
}

int synchroniserDossier(int dossier)
{
    return sys::fsync(dossier) == 0 ? 0 : errno;
}

unsigned int masqueCreation()
{
    // umask can only be read by setting it; read it once, on the UI thread.
    static const unsigned int masque = [] {
        const mode_t m = sys::umask(022);
        sys::umask(m);
        return static_cast<unsigned int>(m);
    }();
    return masque;
}

namespace {

// The drafts' names do not depend on the text's: a name of 255 bytes must
// still leave room for its draft.
const QLatin1String prefixeBrouillon(".plumor-");

Identite depuis(const struct sys::stat &st)
{
    return {quint64(st.st_dev), quint64(st.st_ino), qint64(st.st_size),
            qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
            qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec, 0};
}

qint64 ns(const sys::statx_timestamp &t)
{
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// The file a name of the folder is, asked of the server: after a reply lost,
// what the client remembers of the name is what it believed before the call.
std::optional<std::pair<quint64, quint64>> fichierNomme(int dossier, const QByteArray &nom)
{
    struct sys::statx st {};
    if (sys::statx(dossier, nom.constData(), AT_SYMLINK_NOFOLLOW | AT_STATX_FORCE_SYNC, STATX_INO, &st) != 0)
        return std::nullopt;
    return std::make_pair(quint64(makedev(st.stx_dev_major, st.stx_dev_minor)), quint64(st.stx_ino));
}

// The entry `nom` of the folder, as the open file `fd`.
bool nomme(int dossier, const QByteArray &nom, int fd)
{
    struct sys::stat a {};
    return sys::fstat(fd, &a) == 0 && fichierNomme(dossier, nom) == std::make_pair(quint64(a.st_dev), quint64(a.st_ino));
}

Descripteur ouvrirBrouillon(int dossier, const QByteArray &nom)
{
    const int fd = sys::openat(dossier, nom.constData(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    return fd >= 0 ? Descripteur::ouvert(fd) : Descripteur::echec(errno);
}

// Whether the name still names the expected file, not following a link.
bool toujours(int dossier, const QByteArray &nom, const Identite &attendu)
{
    struct sys::stat st {};
    return sys::fstatat(dossier, nom.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode)
           && depuis(st).memeFichier(attendu);
}

} // namespace

// Where the file system has no such rename, a hard link does the same;
// where it has neither, a plain rename is all there is.
int renommerSansRemplacer(int dossier, const QByteArray &de, const QByteArray &vers, bool *perdue)
{
    // A file system that once refused the no-replace rename is not asked again:
    // on a share, each refusal costs a round trip.
    static QMutex garde;
    static QSet<quint64> sansRenommage;
    quint64 peripherique = 0, inode = 0;
    const bool connu = DossierConnu::identite(dossier, peripherique, inode, false);
    const bool essayer = [&] {
        const QMutexLocker l(&garde);
        return !connu || !sansRenommage.contains(peripherique);
    }();
    if (essayer) {
        if (sys::renameat2(dossier, de.constData(), dossier, vers.constData(), RENAME_NOREPLACE) == 0)
            return 0;
        if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return errno;
        if (connu) {
            const QMutexLocker l(&garde);
            sansRenommage.insert(peripherique);
        }
    }
    // A second name, then the first one taken away; a reply lost on the way
    // back (the retry's EEXIST, ENOENT) is judged on what the folder holds.
    if (sys::linkat(dossier, de.constData(), dossier, vers.constData(), 0) != 0) {
        const int erreur = errno;
        const auto cible = fichierNomme(dossier, vers);
        const bool cibleLa = cible.has_value();
        const bool fait = cibleLa && fichierNomme(dossier, de) == cible;
        if (!fait && (erreur == EEXIST || cibleLa))
            return EEXIST;
        // Neither: a plain rename is all there is.
        if (!fait)
            return sys::renameat(dossier, de.constData(), dossier, vers.constData()) == 0 ? 0 : errno;
        if (perdue)
            *perdue = true;
    }
    if (sys::unlinkat(dossier, de.constData(), 0) == 0)
        return 0;
    const int erreur = errno;
    if (fichierNomme(dossier, de))
        return erreur;
    if (perdue)
        *perdue = true;
    return 0;
}

int renommer(int dossier, const QByteArray &de, const QByteArray &vers, const struct sys::stat &fichier)
{
    if (sys::renameat(dossier, de.constData(), dossier, vers.constData()) == 0)
        return 0;
    const int erreur = errno;
    return fichierNomme(dossier, vers) == std::make_pair(quint64(fichier.st_dev), quint64(fichier.st_ino)) && !fichierNomme(dossier, de)
               ? 0
               : erreur;
}

int creerBrouillon(int dossier, QByteArray &nom, const QByteArray &prefixe, unsigned int mode)
{
    static const char lettres[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int essai = 0; essai < 100; ++essai) {
        nom = prefixe.isEmpty() ? QByteArray(prefixeBrouillon.data(), prefixeBrouillon.size()) : prefixe;
        for (int i = 0; i < 6; ++i)
            nom += lettres[QRandomGenerator::global()->bounded(int(sizeof lettres - 1))];
        const int fd = sys::openat(dossier, nom.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd >= 0 ? fd : -errno;
    }
    return -EEXIST;
}

std::optional<Identite> identite(const QString &chemin)
{
    struct sys::stat st {};
    if (sys::lstat(QFile::encodeName(chemin).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return depuis(st);
}

std::optional<Identite> identite(int fd, bool frais)
{
    struct sys::statx st {};
    if (sys::statx(fd, "", AT_EMPTY_PATH | (frais ? AT_STATX_FORCE_SYNC : AT_STATX_SYNC_AS_STAT), STATX_BASIC_STATS | STATX_BTIME, &st) != 0
        || !S_ISREG(st.stx_mode))
        return std::nullopt;
    return Identite{quint64(makedev(st.stx_dev_major, st.stx_dev_minor)), quint64(st.stx_ino), qint64(st.stx_size),
                    ns(st.stx_mtime), ns(st.stx_ctime), (st.stx_mask & STATX_BTIME) ? ns(st.stx_btime) : 0};
}

bool estBrouillon(const QString &nom)
{
    return nom.startsWith(prefixeBrouillon) && nom.size() == prefixeBrouillon.size() + 6;
}

Erreur remplacer(int dossier, const QByteArray &nom, const QByteArray &octets, const Identite *attendu,
                 const AvantRenommage &avantRenommage, Descripteur *texte)
{
    if (attendu && !toujours(dossier, nom, *attendu))
        return cheminChange;
    struct sys::stat existant {};
    const bool existe = sys::fstatat(dossier, nom.constData(), &existant, AT_SYMLINK_NOFOLLOW) == 0;
    if (existe && S_ISLNK(existant.st_mode))
        return ELOOP;
    if (existe && S_ISDIR(existant.st_mode))
        return EISDIR;

    QByteArray brouillon;
    const int fd = creerBrouillon(dossier, brouillon);
    if (fd < 0)
        return -fd;
    // A second descriptor keeps the draft past the first one's close, opened
    // while its mode still lets it be opened for writing.
    Descripteur garde = ouvrirBrouillon(dossier, brouillon);
    Erreur err = garde.ok() ? ecrireTout(fd, octets) : garde.erreur();
    if (err.ok())
        err = sys::fchmod(fd, existe ? (existant.st_mode & 07777) : (0666 & ~masqueCreation())) == 0 ? 0 : errno;
    struct sys::stat cree {};
    if (err.ok() && existe && sys::fstat(fd, &cree) == 0
        && (cree.st_uid != existant.st_uid || cree.st_gid != existant.st_gid)) {
        // Keep the group of a shared folder's file where we are allowed to.
        if (sys::fchown(fd, existant.st_uid, existant.st_gid) != 0)
            (void)!sys::fchown(fd, sys::uid_t(-1), existant.st_gid);
    }
    if (err.ok() && sys::fsync(fd) != 0 && errno != EINVAL)
        err = errno;
    // The draft is closed, and the close checked, before it takes the text's
    // place: a server that writes behind says only there that the bytes did
    // not fit. Its size then says they are there.
    if (sys::close(fd) != 0 && err.ok())
        err = errno;
    struct sys::stat ecrit {};
    if (err.ok() && (sys::fstat(garde.fd(), &ecrit) != 0 || ecrit.st_size != octets.size()))
        err = EIO;
    if (err.ok() && avantRenommage)
        err = avantRenommage(garde.fd());
    // The last look before the rename: never replace what is no longer the text.
    if (err.ok() && attendu && !toujours(dossier, nom, *attendu))
        err = cheminChange;
    bool perdue = false;
    if (err.ok()) {
        err = existe ? (sys::renameat(dossier, brouillon.constData(), dossier, nom.constData()) == 0 ? 0 : errno)
                     : renommerSansRemplacer(dossier, brouillon, nom, &perdue);
        // A reply lost on its way back: what the folder holds says what was done.
        if (err && nomme(dossier, nom, garde.fd()) && !fichierNomme(dossier, brouillon)) {
            err = 0;
            perdue = true;
        }
    }
    if (err) {
        if (!nomme(dossier, nom, garde.fd()))
            sys::unlinkat(dossier, brouillon.constData(), 0);
        return err;
    }
    // A new text got its name by a link and lost the draft's while open: an
    // NFS client keeps it under a second name as long as that descriptor
    // lives, and a release refuses a text with two names. After a reply lost,
    // the client may still believe the draft is where it was. Either way the
    // text is held by its own name, the draft's descriptor let go.
    struct sys::stat apres {};
    if (texte && (perdue || (!existe && (sys::fstat(garde.fd(), &apres) != 0 || apres.st_nlink != 1)))) {
        Descripteur parSonNom = ouvrirBrouillon(dossier, nom);
        if (!parSonNom.ok() && (parSonNom.erreur() == EACCES || parSonNom.erreur() == EPERM)) {
            const int fd = sys::openat(dossier, nom.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
            parSonNom = fd >= 0 ? Descripteur::ouvert(fd) : Descripteur::echec(errno);
        }
        struct sys::stat lui {};
        if (parSonNom.ok() && sys::fstat(parSonNom.fd(), &lui) == 0 && lui.st_dev == ecrit.st_dev && lui.st_ino == ecrit.st_ino)
            garde = std::move(parSonNom);
    }
    if (texte)
        *texte = std::move(garde);
    // A folder that refuses the flush still holds the new text.
    (void)synchroniserDossier(dossier);
    return 0;
}

Erreur remplacer(const QString &chemin, const QByteArray &octets, const Identite *attendu,
                 const AvantRenommage &avantRenommage)
{
    const QFileInfo info(chemin);
    const int dossier = sys::open(QFile::encodeName(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dossier < 0)
        return errno;
    const Erreur err = remplacer(dossier, QFile::encodeName(info.fileName()), octets, attendu, avantRenommage);
    sys::close(dossier);
    return err;
}

int tailleAdmise(qint64 taille)
{
    // A write past the process's file-size limit would stop midway.
    struct sys::rlimit limite {};
    return sys::getrlimit(RLIMIT_FSIZE, &limite) == 0 && limite.rlim_cur != RLIM_INFINITY
                   && sys::rlim_t(taille) > limite.rlim_cur
               ? EFBIG : 0;
}

int reecrireSurPlace(int fd, const QByteArray &octets)
{
    QByteArray avant;
    int err = lire(fd, std::numeric_limits<int>::max() - 1, avant);
    if (err != 0)
        return err;
    if (const int e = tailleAdmise(qMax(octets.size(), avant.size())))
        return e;
    // Blocks are reserved before a byte changes: a full disk leaves the text whole.
    if (octets.size() > avant.size() && sys::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, off_t(octets.size())) != 0
        && errno != EOPNOTSUPP && errno != ENOSYS && errno != EINTR)
        return errno;
    const auto ecrireDessus = [fd](const QByteArray &o) {
        qsizetype fait = 0;
        while (fait < o.size()) {
            const ssize_t n = sys::pwrite(fd, o.constData() + fait, size_t(o.size() - fait), off_t(fait));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return n < 0 ? errno : EIO;
            fait += n;
        }
        // Cut only once the whole new content is there.
        if (sys::ftruncate(fd, off_t(o.size())) != 0)
            return errno;
        return sys::fsync(fd) != 0 && errno != EINVAL ? errno : 0;
    };
    err = ecrireDessus(octets);
    if (err != 0)
        (void)ecrireDessus(avant);
    return err;
}

int lire(const QString &chemin, qint64 limite, QByteArray &octets)
{
    octets.clear();
    // O_NONBLOCK: a FIFO named like a text would otherwise block the window
    // until someone writes into it; it is refused below as not a file.
    const int fd = sys::open(QFile::encodeName(chemin).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return errno;
    const int err = lire(fd, limite, octets);
    sys::close(fd);
    return err;
}

int lire(int fd, qint64 limite, QByteArray &octets)
{
    octets.clear();
    struct sys::stat st {};
    if (sys::fstat(fd, &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    // The size may change meanwhile: read to the end, at most one byte past the limit.
    octets.resize(qsizetype(qMin<qint64>(st.st_size, limite) + 1));
    qsizetype lus = 0;
    for (;;) {
        if (lus == octets.size()) {
            if (lus > limite)
                break;
            octets.resize(qsizetype(qMin<qint64>(limite + 1, qint64(octets.size()) * 2 + 4096)));
        }
        const ssize_t n = sys::pread(fd, octets.data() + lus, size_t(octets.size() - lus), off_t(lus));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            octets.clear();
            return errno;
        }
        if (n == 0)
            break;
        lus += n;
    }
    octets.truncate(lus);
    return 0;
}

QString description(Erreur e)
{
    if (e.estCheminChange())
        return QStringLiteral("Le texte a été déplacé ou remplacé par quelqu'un d'autre.");
    if (e.estTexteSupprime())
        return QStringLiteral("Le texte a été supprimé par quelqu'un d'autre.");
    const int erreur = e.numero();
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
    case EMLINK:
        return QStringLiteral("Le texte porte un autre nom ailleurs (lien).");
    case EAGAIN:
        return QStringLiteral("Le texte est occupé par une autre copie : réessayez dans un instant.");
    case EEXIST:
        return QStringLiteral("Un fichier de ce nom vient d'être créé par quelqu'un d'autre.");
    case ENOTSUP:
        return QStringLiteral("Le lecteur ne garde pas la marque « lecture seule ».");
    default:
        return QStringLiteral("Erreur système n° %1.").arg(erreur);
    }
}

QString raison(Erreur e)
{
    QString d = description(e);
    d[0] = d[0].toLower();
    if (d.endsWith(u'.'))
        d.chop(1);
    return d;
}

} // namespace disque
