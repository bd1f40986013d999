#include "base/texts/attributs.h"

#include "base/texts/disque.h"

#include <QFile>
#include <QHash>
#include <QMutex>

#include "base/texts/systeme.h"

#include <cerrno>

namespace {

constexpr const char *attributDos = "user.cifs.dosattrib";

} // namespace

bool surCifs(int fd)
{
    // A file system's type does not change while it is mounted: asked once
    // per device, not once per call on a share where each question is a
    // round trip.
    static QMutex garde;
    static QHash<quint64, bool> connus;
    struct sys::stat st {};
    if (sys::fstat(fd, &st) != 0)
        return false;
    {
        const QMutexLocker l(&garde);
        if (const auto i = connus.constFind(st.st_dev); i != connus.constEnd())
            return *i;
    }
    const bool cifs = sys::surCifs(fd);
    const QMutexLocker l(&garde);
    connus.insert(st.st_dev, cifs);
    return cifs;
}

AppelsXattr AppelsXattr::systeme()
{
    AppelsXattr a;
    a.lire = sys::lireAttributEtendu;
    a.ecrire = sys::ecrireAttributEtendu;
    a.surCifs = ::surCifs;
    return a;
}

LectureAttribut Attributs::lireFd(int fd) const
{
    return lireNatif(DossierClasse::cheminDe(fd));
}

int Attributs::ecrireFd(int fd, quint16 mot)
{
    return ecrireNatif(DossierClasse::cheminDe(fd), mot);
}

quint16 motDepuisMode(unsigned int mode)
{
    return quint16(((mode & S_IWUSR) ? 0 : attribut::lectureSeule) | ((mode & S_IXUSR) ? attribut::archive : 0));
}

unsigned int bitsEcritureLiberee(int modeAvant, unsigned int modeDossier, unsigned int masque)
{
    if (modeAvant >= 0)
        return (unsigned(modeAvant) & 0222u) | S_IWUSR;
    return (S_IWGRP & ~masque & modeDossier) | S_IWUSR;
}

AttributsSysteme::AttributsSysteme(AppelsXattr appels) : m_xattr(std::move(appels))
{
    // Calls injected without a file-system test stand for a share.
    if (!m_xattr.surCifs)
        m_xattr.surCifs = [](int) { return true; };
}

namespace {

// The file itself, never through a link; one the user may not read is still
// reached for its mode.
int ouvrirSansSuivre(const QByteArray &natif)
{
    const int fd = sys::open(natif.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    return fd >= 0 || errno != EACCES ? fd : sys::open(natif.constData(), O_PATH | O_NOFOLLOW | O_CLOEXEC);
}

} // namespace

LectureAttribut AttributsSysteme::lireNatif(const QByteArray &natif) const
{
    const int fd = ouvrirSansSuivre(natif);
    if (fd < 0)
        return {0, errno};
    const LectureAttribut a = lireFd(fd);
    sys::close(fd);
    return a;
}

int AttributsSysteme::ecrireNatif(const QByteArray &natif, quint16 mot)
{
    const int fd = ouvrirSansSuivre(natif);
    if (fd < 0)
        return errno;
    const int err = ecrireFd(fd, mot);
    sys::close(fd);
    return err;
}

LectureAttribut AttributsSysteme::lireFd(int fd) const
{
    if (m_xattr.surCifs(fd)) {
        QByteArray valeur;
        if (m_xattr.lire(fd, attributDos, valeur) == 0 && valeur.size() >= 4) {
            const auto *o = reinterpret_cast<const unsigned char *>(valeur.constData());
            // The high bytes hold no attribute a Windows copy tests; keep the word.
            return {quint16(o[0] | (o[1] << 8)), 0};
        }
    }
    struct sys::stat st {};
    if (sys::fstat(fd, &st) != 0)
        return {0, errno};
    return {motDepuisMode(st.st_mode), 0};
}

int AttributsSysteme::ecrireFd(int fd, quint16 mot)
{
    QByteArray existant;
    if (m_xattr.surCifs(fd) && m_xattr.lire(fd, attributDos, existant) == 0 && existant.size() >= 4) {
        // CIFS ignores a word of 0: "normal" is how a file is made free there.
        const quint32 valeur = mot == 0 ? attribut::normal : mot;
        QByteArray octets(4, '\0');
        for (int i = 0; i < 4; ++i)
            octets[i] = char((valeur >> (8 * i)) & 0xFF);
        return m_xattr.ecrire(fd, attributDos, octets);
    }
    return ecrireMode(fd, mot);
}

int AttributsSysteme::libererFd(int fd, int modeAvant)
{
    QByteArray existant;
    if (m_xattr.surCifs(fd) && m_xattr.lire(fd, attributDos, existant) == 0 && existant.size() >= 4)
        return ecrireFd(fd, attribut::libre);
    return ecrireMode(fd, attribut::libre, modeAvant);
}

int AttributsSysteme::ecrireMode(int fd, quint16 mot, int modeAvant)
{
    struct sys::stat st {};
    if (sys::fstat(fd, &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    mode_t mode = st.st_mode & 07777;
    if (mot & attribut::lectureSeule) {
        mode &= ~mode_t(0222);
    } else if ((mode & S_IWUSR) == 0) {
        unsigned int modeDossier = 0;
        if (modeAvant < 0) {
            struct sys::stat dossier {};
            const QByteArray chemin = DossierClasse::cheminDe(fd);
            const qsizetype barre = chemin.lastIndexOf('/');
            const QByteArray parent = barre < 0 ? QByteArray(".") : barre == 0 ? QByteArray("/") : chemin.left(barre);
            modeDossier = sys::stat(parent.constData(), &dossier) == 0 ? dossier.st_mode : 0;
        }
        // A text is no program: no set-id or sticky bit outlives its release.
        mode = (mode & ~mode_t(07222)) | bitsEcritureLiberee(modeAvant, modeDossier, disque::masqueCreation());
    }
    // Samba shows the owner-execute bit as the archive attribute.
    mode = (mot & attribut::archive) ? (mode | S_IXUSR) : (mode & ~mode_t(S_IXUSR));
    if (mode == (st.st_mode & 07777))
        return 0;
    return sys::fchmod(fd, mode) == 0 ? 0 : errno;
}
