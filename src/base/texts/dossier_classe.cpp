#include "base/texts/dossier_classe.h"

#include <QDir>
#include <QFile>

#include "base/texts/systeme.h"

#include <cerrno>

Descripteur::~Descripteur()
{
    fermer();
}

Descripteur::Descripteur(Descripteur &&autre) noexcept : m_fd(autre.m_fd), m_erreur(autre.m_erreur)
{
    autre.m_fd = -1;
}

Descripteur &Descripteur::operator=(Descripteur &&autre) noexcept
{
    if (this != &autre) {
        fermer();
        m_fd = autre.m_fd;
        m_erreur = autre.m_erreur;
        autre.m_fd = -1;
    }
    return *this;
}

int Descripteur::fermer()
{
    if (m_fd < 0)
        return 0;
    const int err = sys::close(m_fd) == 0 ? 0 : errno;
    m_fd = -1;
    return err;
}

namespace {

constexpr int toujoursAvec(int options)
{
    // O_PATH takes no other open flag: openat2 refuses them.
    return (options & O_PATH) ? O_CLOEXEC : O_CLOEXEC | O_NOCTTY;
}
constexpr int toujours = O_CLOEXEC | O_NOCTTY;

bool composantSimple(const QByteArray &nom)
{
    return !nom.isEmpty() && !nom.contains('/') && nom != "." && nom != "..";
}

Descripteur depuis(int fd)
{
    return fd >= 0 ? Descripteur::ouvert(fd) : Descripteur::echec(errno);
}

// A folder opened for reading where allowed, else for lookups only (a folder
// the user may cross but not list).
Descripteur dossierDans(int dossier, const char *nom, int suivre)
{
    int fd = sys::openat(dossier, nom, O_RDONLY | O_DIRECTORY | toujours | suivre);
    if (fd < 0 && errno == EACCES)
        fd = sys::openat(dossier, nom, O_PATH | O_DIRECTORY | toujours | suivre);
    if (fd < 0 && errno == ENOTDIR && suivre) {
        // O_NOFOLLOW with O_DIRECTORY says ENOTDIR for a link: say what it is.
        struct sys::stat st {};
        if (sys::fstatat(dossier, nom, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
            errno = ELOOP;
    }
    return depuis(fd);
}

} // namespace

DossierClasse::DossierClasse(const QString &chemin, Resolution resolution) : m_resolution(resolution)
{
    const QByteArray natif = chemin.isEmpty() ? QByteArray(".") : QFile::encodeName(chemin);
    m_dossier = dossierDans(AT_FDCWD, natif.constData(), 0);
    if (!m_dossier.ok())
        return;
    struct sys::stat st {};
    if (sys::fstat(m_dossier.fd(), &st) == 0)
        m_id = {quint64(st.st_dev), quint64(st.st_ino)};
    // The kernel's name for it, which is how the window names the current folder too.
    if (const QByteArray noyau = cheminDe(m_dossier.fd()); noyau.startsWith('/'))
        m_chemin = QFile::decodeName(noyau);
    else
        m_chemin = QDir::cleanPath(QDir(QFile::decodeName(natif)).absolutePath());
}

QByteArray DossierClasse::relatif(const QString &chemin) const
{
    if (!m_dossier.ok() || chemin.isEmpty())
        return {};
    const QString absolu = QDir::cleanPath(QDir::isAbsolutePath(chemin) ? chemin : m_chemin + u'/' + chemin);
    if (absolu == m_chemin)
        return QByteArrayLiteral(".");
    const QString racine = m_chemin.endsWith(u'/') ? m_chemin : m_chemin + u'/';
    if (absolu.startsWith(racine))
        return QFile::encodeName(absolu.mid(racine.size()));
    return parAutreNom(absolu);
}

bool DossierClasse::estLeDossier(int fd) const
{
    struct sys::stat st {};
    return sys::fstat(fd, &st) == 0 && m_id.second != 0 && std::pair<quint64, quint64>(st.st_dev, st.st_ino) == m_id;
}

namespace {

// The length of an absolute path's root: "/", "Z:/", "//serveur/partage/",
// "//?/Z:/" or "//?/UNC/serveur/partage/"; 0 when there is none.
qsizetype longueurRacine(const QString &absolu)
{
    qsizetype debut = 0;
    if (absolu.startsWith(QLatin1String("//?/UNC/"), Qt::CaseInsensitive))
        debut = 8;
    else if (absolu.startsWith(QLatin1String("//?/")))
        debut = 4;
    else if (absolu.startsWith(QLatin1String("//")))
        debut = 2;
    if (debut == 8 || (debut == 2 && absolu.size() > 2)) {
        // A share: its server and its name.
        const qsizetype serveur = absolu.indexOf(u'/', debut);
        const qsizetype partage = serveur < 0 ? -1 : absolu.indexOf(u'/', serveur + 1);
        return serveur < 0 ? 0 : partage < 0 ? absolu.size() : partage + 1;
    }
    if (absolu.size() >= debut + 2 && absolu.at(debut).isLetter() && absolu.at(debut + 1) == u':')
        return absolu.size() == debut + 2 ? debut + 2 : absolu.at(debut + 2) == u'/' ? debut + 3 : 0;
    return absolu.startsWith(u'/') ? 1 : 0;
}

} // namespace

QByteArray DossierClasse::parIdentite(const QString &absolu) const
{
    // The folders the path crosses, root first, each opened by its own path
    // as the system follows it, until one is the class folder: what comes
    // after it lies below it. Identity, never the path's text, decides, so a
    // mapped drive, a share's name, another case or a short name all lead
    // to it.
    const qsizetype racine = longueurRacine(absolu);
    if (racine == 0)
        return {};
    const QStringList noms = absolu.mid(racine).split(u'/', Qt::SkipEmptyParts);
    QString dossier = absolu.left(racine);
    for (qsizetype i = 0; i < noms.size(); ++i) {
        if (i > 0)
            dossier += (dossier.endsWith(u'/') ? QString() : QStringLiteral("/")) + noms[i - 1];
        const Descripteur d = depuis(sys::open(QFile::encodeName(dossier).constData(), O_PATH | O_DIRECTORY | toujours));
        if (d.ok() && estLeDossier(d.fd()))
            return QFile::encodeName(noms.mid(i).join(u'/'));
        if (!d.ok())
            break;
    }
    return {};
}

QByteArray DossierClasse::parAutreNom(const QString &absolu) const
{
    if (const QByteArray rel = parIdentite(absolu); !rel.isNull())
        return rel;
    // Or a name of one of its sub-folders (a link to it, a drive mapped to
    // it): the system's own name of the folder holding it leads up to it.
    const qsizetype barre = absolu.lastIndexOf(u'/');
    if (barre <= 0)
        return {};
    const Descripteur parent = depuis(sys::open(QFile::encodeName(absolu.left(barre)).constData(), O_PATH | O_DIRECTORY | toujours));
    const QString noyau = parent.ok() ? QFile::decodeName(cheminDe(parent.fd())) : QString();
    if (noyau.isEmpty() || noyau == absolu.left(barre))
        return {};
    return parIdentite(noyau + u'/' + absolu.mid(barre + 1));
}

bool DossierClasse::contient(const QString &chemin) const
{
    return !relatif(chemin).isNull();
}

Descripteur DossierClasse::ouvrir(const QString &chemin, int options, mode_t mode) const
{
    const QByteArray rel = relatif(chemin);
    if (rel.isNull()) {
        const QByteArray natif = QFile::encodeName(chemin);
        return depuis(sys::open(natif.constData(), options | O_NOFOLLOW | toujoursAvec(options), mode));
    }
    return resoudre(rel, options, mode);
}

Descripteur DossierClasse::ouvrirDossier(const QString &chemin) const
{
    const QByteArray rel = relatif(chemin);
    if (rel.isNull())
        return dossierDans(AT_FDCWD, QFile::encodeName(chemin).constData(), O_NOFOLLOW);
    Descripteur d = resoudre(rel, O_RDONLY | O_DIRECTORY, 0);
    if (!d.ok() && d.erreur() == EACCES)
        d = resoudre(rel, O_PATH | O_DIRECTORY, 0);
    return d;
}

namespace {
thread_local DossierConnu *dernierConnu = nullptr;
}

DossierConnu::DossierConnu(int fd, quint64 peripherique, quint64 inode)
    : m_avant(dernierConnu), m_fd(fd), m_peripherique(peripherique), m_inode(inode)
{
    dernierConnu = this;
}

DossierConnu::~DossierConnu()
{
    dernierConnu = m_avant;
}

bool DossierConnu::identite(int fd, quint64 &peripherique, quint64 &inode, bool demander)
{
    for (const DossierConnu *c = dernierConnu; c; c = c->m_avant) {
        if (c->m_fd == fd && c->m_inode != 0) {
            peripherique = c->m_peripherique;
            inode = c->m_inode;
            return true;
        }
    }
    struct sys::stat st {};
    if (!demander || sys::fstat(fd, &st) != 0)
        return false;
    peripherique = quint64(st.st_dev);
    inode = quint64(st.st_ino);
    return true;
}

Descripteur DossierClasse::ouvrirParent(const QString &chemin, QByteArray &nom, std::pair<quint64, quint64> *id) const
{
    const QString propre = QDir::cleanPath(chemin);
    const qsizetype barre = propre.lastIndexOf(u'/');
    nom = QFile::encodeName(barre < 0 ? propre : propre.mid(barre + 1));
    if (!composantSimple(nom))
        return Descripteur::echec(EINVAL);
    const QString parent = barre < 0 ? (QDir::isAbsolutePath(chemin) ? QString() : QStringLiteral("."))
                                     : barre == 0 ? QStringLiteral("/") : propre.left(barre);
    // A relative path is relative to the class folder, as everywhere here.
    const bool racine = m_dossier.ok() && (parent == QLatin1String(".") || parent == m_chemin);
    Descripteur d = racine ? resoudre(QByteArrayLiteral("."), O_RDONLY | O_DIRECTORY, 0) : ouvrirDossier(parent);
    if (id && d.ok()) {
        // The class folder opened again beneath itself is the folder known
        // since its open; a sub-folder's attributes are fresh from its lookup.
        struct sys::stat st {};
        if (racine && m_id.second != 0)
            *id = m_id;
        else
            *id = sys::fstat(d.fd(), &st) == 0 ? std::pair<quint64, quint64>(st.st_dev, st.st_ino) : std::pair<quint64, quint64>();
    }
    return d;
}

Descripteur DossierClasse::resoudre(const QByteArray &rel, int options, mode_t mode) const
{
    if (m_resolution == Resolution::Automatique) {
        const int fd = sys::ouvrirDessous(m_dossier.fd(), rel, options | toujoursAvec(options), mode);
        if (fd >= 0)
            return Descripteur::ouvert(fd);
        if (errno != ENOSYS)
            return Descripteur::echec(errno);
    }
    return parcourir(rel, options, mode);
}

Descripteur DossierClasse::parcourir(const QByteArray &rel, int options, mode_t mode) const
{
    const QList<QByteArray> parts = rel.split('/');
    QList<QByteArray> noms;
    for (const QByteArray &p : parts) {
        if (p.isEmpty() || p == ".")
            continue;
        if (p == "..")
            return Descripteur::echec(EXDEV);
        noms.append(p);
    }
    if (noms.isEmpty())
        return depuis(sys::openat(m_dossier.fd(), ".", options | toujoursAvec(options), mode));
    Descripteur courant;
    int fd = m_dossier.fd();
    for (qsizetype i = 0; i + 1 < noms.size(); ++i) {
        Descripteur suivant = depuis(sys::openat(fd, noms[i].constData(), O_PATH | O_DIRECTORY | O_NOFOLLOW | toujours));
        if (!suivant.ok()) {
            struct sys::stat st {};
            if (sys::fstatat(fd, noms[i].constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
                return Descripteur::echec(ELOOP);
            return suivant;
        }
        courant = std::move(suivant);
        fd = courant.fd();
    }
    return DossierClasse::ouvrirDans(fd, noms.constLast(), options, mode);
}

Descripteur DossierClasse::ouvrirDans(int dossier, const QByteArray &nom, int options, mode_t mode)
{
    if (!composantSimple(nom))
        return Descripteur::echec(EINVAL);
    Descripteur d = depuis(sys::openat(dossier, nom.constData(), options | O_NOFOLLOW | toujoursAvec(options), mode));
    if (!d.ok() && d.erreur() == ENOTDIR && (options & O_DIRECTORY)) {
        struct sys::stat st {};
        if (sys::fstatat(dossier, nom.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode))
            return Descripteur::echec(ELOOP);
    }
    return d;
}

Descripteur DossierClasse::ouvrirSousDossier(int dossier, const QByteArray &nom)
{
    if (!composantSimple(nom))
        return Descripteur::echec(EINVAL);
    return dossierDans(dossier, nom.constData(), O_NOFOLLOW);
}

QByteArray DossierClasse::cheminDe(int fd)
{
    return sys::cheminDe(fd);
}
