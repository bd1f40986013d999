#include "base/texts/attributs.h"

#include "base/texts/disque.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

constexpr const char *attributDos = "user.cifs.dosattrib";

} // namespace

AppelsXattr AppelsXattr::systeme()
{
    AppelsXattr a;
    a.lire = [](const QByteArray &chemin, const char *nom, QByteArray &valeur) {
        char tampon[16];
        const ssize_t n = ::lgetxattr(chemin.constData(), nom, tampon, sizeof tampon);
        if (n < 0)
            return errno;
        valeur = QByteArray(tampon, int(n));
        return 0;
    };
    a.ecrire = [](const QByteArray &chemin, const char *nom, const QByteArray &valeur) {
        return ::lsetxattr(chemin.constData(), nom, valeur.constData(), size_t(valeur.size()), 0) == 0
                   ? 0 : errno;
    };
    return a;
}

quint16 motDepuisMode(unsigned int mode)
{
    return quint16(((mode & S_IWUSR) ? 0 : attribut::lectureSeule) | ((mode & S_IXUSR) ? attribut::archive : 0));
}

unsigned int bitsEcritureLiberee(unsigned int modeDossier, unsigned int masque)
{
    const unsigned int permis = 0222u & ~masque & (modeDossier | S_IWUSR);
    return permis | S_IWUSR;
}

AttributsSysteme::AttributsSysteme(AppelsXattr appels) : m_xattr(std::move(appels)) {}

LectureAttribut AttributsSysteme::lireNatif(const QByteArray &natif) const
{
    QByteArray valeur;
    const int err = m_xattr.lire(natif, attributDos, valeur);
    if (err == 0 && valeur.size() >= 4) {
        const auto *o = reinterpret_cast<const unsigned char *>(valeur.constData());
        // The high bytes hold no attribute a Windows copy tests; keep the word.
        return {quint16(o[0] | (o[1] << 8)), 0};
    }
    struct stat st {};
    if (::lstat(natif.constData(), &st) != 0)
        return {0, errno};
    if (S_ISLNK(st.st_mode))
        return {0, ELOOP};
    return {motDepuisMode(st.st_mode), 0};
}

int AttributsSysteme::ecrireNatif(const QByteArray &natif, quint16 mot)
{
    QByteArray existant;
    if (m_xattr.lire(natif, attributDos, existant) == 0 && existant.size() >= 4) {
        // CIFS ignores a word of 0: "normal" is how a file is made free there.
        const quint32 valeur = mot == 0 ? attribut::normal : mot;
        QByteArray octets(4, '\0');
        for (int i = 0; i < 4; ++i)
            octets[i] = char((valeur >> (8 * i)) & 0xFF);
        return m_xattr.ecrire(natif, attributDos, octets);
    }

    // The mode is changed on the file itself, opened without following a link.
    const int fd = ::open(natif.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int err = ecrireMode(fd, natif, mot);
    ::close(fd);
    return err;
}

int AttributsSysteme::ecrireMode(int fd, const QByteArray &chemin, quint16 mot)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    mode_t mode = st.st_mode & 07777;
    if (mot & attribut::lectureSeule) {
        mode &= ~mode_t(0222);
    } else if ((mode & S_IWUSR) == 0) {
        struct stat dossier {};
        const qsizetype barre = chemin.lastIndexOf('/');
        const QByteArray parent = barre < 0 ? QByteArray(".") : barre == 0 ? QByteArray("/") : chemin.left(barre);
        const unsigned int modeDossier = ::stat(parent.constData(), &dossier) == 0 ? dossier.st_mode : 0;
        mode = (mode & ~mode_t(0222)) | bitsEcritureLiberee(modeDossier, disque::masqueCreation());
    }
    // Samba shows the owner-execute bit as the archive attribute.
    mode = (mot & attribut::archive) ? (mode | S_IXUSR) : (mode & ~mode_t(S_IXUSR));
    if (mode == (st.st_mode & 07777))
        return 0;
    return ::fchmod(fd, mode) == 0 ? 0 : errno;
}
