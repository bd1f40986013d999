#include "base/texts/verrou.h"

#include "base/texts/systeme.h"

#include <cerrno>
#include <chrono>
#include <thread>

namespace {
// Holders keep the short lock for a few file-system calls; a holder slower
// than this is not a Plumor copy, and the pupil must not wait on it.
constexpr int attenteMaxMs = 2000;

// Far past the 32000 bytes of any text, and in reach of every share's 64-bit offsets.
constexpr off_t octetTenue = off_t(1) << 62;
constexpr off_t octetEchange = octetTenue + 1;

bool ecriture(int fd)
{
    return (sys::fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDWR;
}

int poser(int fd, short type, off_t octet)
{
    struct sys::flock l {};
    l.l_type = type;
    l.l_whence = SEEK_SET;
    l.l_start = octet;
    l.l_len = 1;
    if (sys::fcntl(fd, F_OFD_SETLK, &l) == 0)
        return 0;
    return errno == EACCES ? EAGAIN : errno;
}

Descripteur ouvrir(int dossier, const QByteArray &nom)
{
    // O_NONBLOCK: a FIFO or device named like a text must not freeze the
    // window. Writing where the file allows it, since NFS grants an exclusive
    // lock only on a descriptor open for writing; a text only a copy holding
    // it may write (marked) cannot be taken anyway.
    Descripteur d = DossierClasse::ouvrirDans(dossier, nom, O_RDWR | O_NONBLOCK);
    if (d.ok() || (d.erreur() != EACCES && d.erreur() != EPERM && d.erreur() != EROFS && d.erreur() != ETXTBSY
                   && d.erreur() != EISDIR))
        return d;
    return DossierClasse::ouvrirDans(dossier, nom, O_RDONLY | O_NONBLOCK);
}

bool nommeParLeChemin(int fd, int dossier, const QByteArray &nom)
{
    struct sys::stat ouvert {}, st {};
    return sys::fstat(fd, &ouvert) == 0 && sys::fstatat(dossier, nom.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0
           && ouvert.st_dev == st.st_dev && ouvert.st_ino == st.st_ino;
}

// The short lock on an open text: 0, EAGAIN while another copy has it, or an
// errno of a file system without locks.
int echange(int fd)
{
    // Exclusive needs a descriptor open for writing; one for reading only
    // belongs to a text that cannot be written anyway.
    return ecriture(fd) ? poser(fd, F_WRLCK, octetEchange) : EBADF;
}

void patienter()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

} // namespace

namespace verrou {

int tenir(int fd)
{
    // Shared on a descriptor for reading only: the test below still sees it.
    return poser(fd, ecriture(fd) ? F_WRLCK : F_RDLCK, octetTenue);
}

void lacher(int fd)
{
    poser(fd, F_UNLCK, octetTenue);
}

Detenteur detenteur(int fd)
{
    struct sys::flock l {};
    l.l_type = F_WRLCK;
    l.l_whence = SEEK_SET;
    l.l_start = octetTenue;
    l.l_len = 1;
    if (sys::fcntl(fd, F_OFD_GETLK, &l) != 0)
        return Detenteur::Inconnu;
    return l.l_type == F_UNLCK ? Detenteur::Aucun : Detenteur::Vivant;
}

} // namespace verrou

VerrouFichier::VerrouFichier(int dossier, const QByteArray &nom)
{
    for (int attente = 0; attente <= attenteMaxMs; ++attente) {
        Descripteur d = ouvrir(dossier, nom);
        if (!d.ok()) {
            m_erreur = d.erreur();
            return;
        }
        const int err = echange(d.fd());
        if (err == 0) {
            // A save renames a new file over the text: a lock on the file it
            // replaced would keep no other copy out, so it is taken again.
            if (nommeParLeChemin(d.fd(), dossier, nom)) {
                m_fichier = std::move(d);
                m_fd = m_fichier.fd();
                m_etat = Etat::Tenu;
                return;
            }
        } else if (err != EAGAIN && err != EINTR) {
            // ENOLCK, EOPNOTSUPP, EINVAL, EBADF (read-only descriptor)...
            m_fichier = std::move(d);
            m_fd = m_fichier.fd();
            m_etat = Etat::SansVerrou;
            return;
        } else {
            patienter();
        }
    }
    m_etat = Etat::Occupe;
    m_erreur = EAGAIN;
}

VerrouFichier::VerrouFichier(int fd) : m_fd(fd)
{
    for (int attente = 0; attente <= attenteMaxMs; ++attente) {
        const int err = echange(fd);
        if (err == 0 || (err != EAGAIN && err != EINTR)) {
            m_etat = err == 0 ? Etat::Tenu : Etat::SansVerrou;
            return;
        }
        patienter();
    }
    m_etat = Etat::Occupe;
    m_erreur = EAGAIN;
}

VerrouFichier::~VerrouFichier()
{
    if (m_etat == Etat::Tenu)
        poser(m_fd, F_UNLCK, octetEchange);
}

Descripteur VerrouFichier::garder()
{
    return std::move(m_fichier);
}
