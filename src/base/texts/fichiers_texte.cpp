#include "base/texts/fichiers_texte.h"

#include "base/texts/attributs.h"
#include "base/cp1252.h"
#include "base/texts/verrou.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using Lecture = FichiersTexte::Lecture;
using Ecriture = FichiersTexte::Ecriture;

namespace {

Lecture lu(int erreur, const QByteArray &octets)
{
    if (erreur != 0)
        return {Lecture::Issue::Erreur, {}, erreur};
    if (octets.size() > FichiersTexte::tailleMaximale)
        return {Lecture::Issue::TropLong, {}, 0};
    if (octets.isEmpty())
        return {Lecture::Issue::Vide, {}, 0};
    return {Lecture::Issue::Lu, cp1252::decode(octets), 0};
}

// Why an open file is no text to write, or 0. A file with a second name
// (a hard link) would carry its mark and its new bytes to that name too.
int pasUnTexte(int fd)
{
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return errno;
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    return st.st_nlink > 1 ? EMLINK : 0;
}

bool ecriture(int fd)
{
    return (::fcntl(fd, F_GETFL) & O_ACCMODE) == O_RDWR;
}

} // namespace

FichiersTexte::FichiersTexte(Attributs &attributs, std::shared_ptr<const DossierClasse> dossier)
    : m_attributs(attributs), m_dossier(dossier ? std::move(dossier) : std::make_shared<const DossierClasse>())
{
}

bool FichiersTexte::memeFichier(const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    const QString ca = QFileInfo(a).canonicalFilePath();
    const QString cb = QFileInfo(b).canonicalFilePath();
    return (!ca.isEmpty() && ca == cb) || QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

FichiersTexte::Tenue *FichiersTexte::tenue(const QString &chemin)
{
    for (Tenue &t : m_tenues) {
        if (t.chemin == chemin)
            return &t;
    }
    return nullptr;
}

void FichiersTexte::tenir(const QString &chemin, const disque::Identite &id)
{
    // One file is held once, whatever path named it.
    m_tenues.removeIf([&](const Tenue &t) { return t.chemin == chemin || t.identite.memeFichier(id); });
    m_tenues.append({chemin, id});
    if (m_surChangement)
        m_surChangement();
}

disque::Erreur FichiersTexte::liberer(const QString &chemin)
{
    const Tenue *t = tenue(chemin);
    if (!t)
        return 0;
    disque::Erreur err;
    const Descripteur d = m_dossier->ouvrir(chemin, O_RDONLY | O_NONBLOCK);
    if (d.ok()) {
        const std::optional<disque::Identite> id = disque::identite(d.fd());
        if (!id || !id->memeFichier(t->identite))
            err = disque::cheminChange;
        else if (const int e = pasUnTexte(d.fd()))
            err = e; // a second name since: that name would be freed too
        else
            err = m_attributs.ecrireFd(d.fd(), attribut::libre);
    } else if (d.erreur() != ENOENT) {
        err = d.erreur() == ELOOP ? disque::cheminChange : d.erreur();
    }
    m_tenues.removeIf([&](const Tenue &u) { return u.chemin == chemin; });
    if (m_surChangement)
        m_surChangement();
    // A text someone deleted is no longer held by anybody.
    return err;
}

void FichiersTexte::libererTout()
{
    while (!m_tenues.isEmpty())
        liberer(m_tenues.constFirst().chemin);
}

bool FichiersTexte::reprendre(const QString &chemin, const disque::Identite &identite)
{
    std::optional<disque::Identite> id;
    {
        VerrouFichier verrou(*m_dossier, chemin);
        if (verrou.etat() != VerrouFichier::Etat::Tenu && verrou.etat() != VerrouFichier::Etat::SansVerrou)
            return false;
        id = disque::identite(verrou.fd());
        const LectureAttribut a = m_attributs.lireFd(verrou.fd());
        if (!id || !id->inchangee(identite) || pasUnTexte(verrou.fd()) != 0 || !a.ok()
            || !attribut::estMarque(a.mot))
            return false;
    }
    tenir(chemin, *id);
    return true;
}

Lecture FichiersTexte::lire(const QString &chemin) const
{
    QByteArray octets;
    const int err = disque::lire(chemin, tailleMaximale, octets);
    return lu(err, octets);
}

Lecture FichiersTexte::prendre(const QString &chemin)
{
    std::optional<disque::Identite> id;
    Lecture lecture;
    {
        VerrouFichier verrou(*m_dossier, chemin);
        switch (verrou.etat()) {
        case VerrouFichier::Etat::Erreur:
            return {Lecture::Issue::Erreur, {}, verrou.erreur()};
        case VerrouFichier::Etat::Occupe:
            return {Lecture::Issue::Pris, {}, EAGAIN};
        case VerrouFichier::Etat::Tenu:
        case VerrouFichier::Etat::SansVerrou:
            break;
        }
        const int fd = verrou.fd();
        if (const int err = pasUnTexte(fd))
            return {Lecture::Issue::Erreur, {}, err};
        id = disque::identite(fd);
        const bool sienne = id && std::any_of(m_tenues.cbegin(), m_tenues.cend(), [&](const Tenue &t) {
                                return t.identite.memeFichier(*id);
                            });
        const LectureAttribut a = m_attributs.lireFd(fd);
        if (!sienne && a.ok() && attribut::estMarque(a.mot))
            return {Lecture::Issue::Pris, {}, 0};
        // Read under the lock from the file tested: what is read is what is marked.
        QByteArray octets;
        lecture = lu(disque::lire(fd, tailleMaximale, octets), octets);
        // A file that will not be read (empty, too long) is left untouched.
        if (lecture.issue != Lecture::Issue::Lu)
            return lecture;
        // A text that cannot be marked is refused: other copies would not see it taken.
        if (const int err = m_attributs.ecrireFd(fd, attribut::marque))
            return {Lecture::Issue::Erreur, {}, err};
        id = disque::identite(fd);
    }
    if (id)
        tenir(chemin, *id);
    return lecture;
}

FichiersTexte::Cible FichiersTexte::examiner(const QString &chemin) const
{
    const Descripteur d = m_dossier->ouvrir(chemin, O_RDONLY | O_NONBLOCK);
    if (!d.ok()) {
        switch (d.erreur()) {
        case ENOENT:
            return {Cible::Etat::Absente, 0};
        case ELOOP:
            return {Cible::Etat::Lien, ELOOP};
        default:
            return {Cible::Etat::Erreur, d.erreur()};
        }
    }
    if (const int err = pasUnTexte(d.fd()))
        return {err == EMLINK ? Cible::Etat::Lien : Cible::Etat::Erreur, err};
    const LectureAttribut a = m_attributs.lireFd(d.fd());
    if (!a.ok())
        return {Cible::Etat::Erreur, a.erreur};
    return {attribut::estMarque(a.mot) ? Cible::Etat::Prise : Cible::Etat::Libre, 0};
}

disque::Erreur FichiersTexte::surPlace(int fd, const QString &chemin, const QByteArray &octets, bool noter)
{
    const std::optional<disque::Identite> id = disque::identite(fd);
    QByteArray avant;
    if (!id)
        return EINVAL;
    if (const int err = disque::lire(fd, tailleMaximale, avant))
        return err;
    // Refused before anything changes, the mode included.
    if (const int err = disque::tailleAdmise(qMax(avant.size(), octets.size())))
        return err;
    // The record knows what is being written before anything changes: a copy
    // killed from here on is finished or given back at the next start.
    if (noter) {
        m_reecriture = Reecriture{chemin, *id, octets, avant};
        if (const int err = m_surReecriture ? m_surReecriture() : 0) {
            m_reecriture.reset();
            return err;
        }
    }
    Descripteur ouvert;
    int ecrire = fd;
    disque::Erreur err;
    if (!ecriture(fd)) {
        // Writable for the instant of the open only, under the lock, and
        // marked again before a byte is written: no copy ever sees it free.
        err = m_attributs.ecrireFd(fd, attribut::libre);
        if (err == 0) {
            const QByteArray lui = "/proc/self/fd/" + QByteArray::number(fd);
            const int w = ::open(lui.constData(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
            ouvert = w >= 0 ? Descripteur::ouvert(w) : Descripteur::echec(errno);
            const int errMarque = m_attributs.ecrireFd(fd, attribut::marque);
            const std::optional<disque::Identite> lui2 = ouvert.ok() ? disque::identite(ouvert.fd()) : std::nullopt;
            err = !ouvert.ok() ? disque::Erreur(ouvert.erreur())
                  : !lui2 || !lui2->memeFichier(*id) ? disque::cheminChange : disque::Erreur(errMarque);
            ecrire = ouvert.fd();
        }
    }
    if (err.ok())
        err = disque::reecrireSurPlace(ecrire, octets);
    m_reecriture.reset();
    return err;
}

disque::AvantRenommage FichiersTexte::marquerLeBrouillon()
{
    // The new content is marked before it takes the text's place: on a share
    // it would otherwise come in with the server's default attributes, free
    // for any copy until marked. Where it cannot be, it is marked right after.
    return [this](int brouillon) {
        m_attributs.ecrireFd(brouillon, attribut::marque);
        return 0;
    };
}

int FichiersTexte::marqueApres(int fd)
{
    const LectureAttribut a = m_attributs.lireFd(fd);
    return a.ok() && attribut::estMarque(a.mot) ? 0 : m_attributs.ecrireFd(fd, attribut::marque);
}

disque::Erreur FichiersTexte::ecrireTenu(int fd, const QString &chemin, const QByteArray &octets,
                                         const disque::Identite &attendu, std::optional<disque::Identite> &ecrit,
                                         int &errMarque)
{
    QByteArray nom;
    const Descripteur dossier = m_dossier->ouvrirParent(chemin, nom);
    if (!dossier.ok())
        return dossier.erreur() == ELOOP ? disque::cheminChange : dossier.erreur();
    Descripteur texte;
    disque::Erreur err = disque::remplacer(dossier.fd(), nom, octets, &attendu, marquerLeBrouillon(), &texte);
    // A folder that lets drafts be made but a share that refuses to replace
    // a read-only file: the old file is let go for the rename only, under
    // the lock, the new one already marked; the rename puts one in the
    // other's place at once.
    const bool brouillonsPermis = ::faccessat(dossier.fd(), ".", W_OK | X_OK, AT_EACCESS) == 0;
    if ((err == EACCES || err == EPERM) && brouillonsPermis) {
        if (m_attributs.ecrireFd(fd, attribut::libre) == 0) {
            err = disque::remplacer(dossier.fd(), nom, octets, &attendu, marquerLeBrouillon(), &texte);
            if (err)
                m_attributs.ecrireFd(fd, attribut::marque);
        }
    }
    if (err.ok()) {
        errMarque = marqueApres(texte.fd());
        ecrit = disque::identite(texte.fd());
        return 0;
    }
    if (err != EACCES && err != EPERM)
        return err;
    // A folder where no draft may be created: in place.
    err = surPlace(fd, chemin, octets, true);
    if (err.ok()) {
        errMarque = marqueApres(fd);
        ecrit = disque::identite(fd);
    }
    return err;
}

Ecriture FichiersTexte::ecrireSous(const QString &chemin, const QByteArray &octets)
{
    if (octets.size() > tailleMaximale)
        return {Ecriture::Issue::TropLong, 0};
    QByteArray nom;
    const Descripteur dossier = m_dossier->ouvrirParent(chemin, nom);
    if (!dossier.ok())
        return {Ecriture::Issue::Erreur, dossier.erreur()};
    struct stat st {};
    if (::fstatat(dossier.fd(), nom.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT)
            return {Ecriture::Issue::Erreur, errno};
        // Two copies saving a new text under one name at once: the second finds it there.
        Descripteur texte;
        if (const disque::Erreur err = disque::remplacer(dossier.fd(), nom, octets, nullptr, marquerLeBrouillon(), &texte))
            return {err == EEXIST ? Ecriture::Issue::Prise : Ecriture::Issue::Erreur, err};
        const int errMarque = marqueApres(texte.fd());
        if (const std::optional<disque::Identite> id = disque::identite(texte.fd()))
            tenir(chemin, *id);
        return {errMarque == 0 ? Ecriture::Issue::Ecrit : Ecriture::Issue::EcritNonMarque, errMarque};
    }

    std::optional<disque::Identite> ecrit;
    int errMarque = 0;
    {
        VerrouFichier verrou(*m_dossier, chemin);
        if (verrou.etat() == VerrouFichier::Etat::Erreur)
            return {Ecriture::Issue::Erreur, verrou.erreur()};
        if (verrou.etat() == VerrouFichier::Etat::Occupe)
            return {Ecriture::Issue::Prise, EAGAIN};
        const int fd = verrou.fd();
        if (const int err = pasUnTexte(fd))
            return {Ecriture::Issue::Erreur, err};
        const LectureAttribut a = m_attributs.lireFd(fd);
        if (a.ok() && attribut::estMarque(a.mot))
            return {Ecriture::Issue::Prise, 0};
        const quint16 motAvant = a.ok() ? a.mot : attribut::libre;
        if (const int err = m_attributs.ecrireFd(fd, attribut::marque))
            return {Ecriture::Issue::Erreur, err};
        const std::optional<disque::Identite> attendu = disque::identite(fd);
        const disque::Erreur err = attendu ? ecrireTenu(fd, chemin, octets, *attendu, ecrit, errMarque) : EINVAL;
        if (err) {
            // The old content is untouched; give it back its attributes too.
            m_attributs.ecrireFd(fd, motAvant);
            return {Ecriture::Issue::Erreur, err};
        }
    }
    if (ecrit)
        tenir(chemin, *ecrit);
    return {errMarque == 0 ? Ecriture::Issue::Ecrit : Ecriture::Issue::EcritNonMarque, errMarque};
}

Ecriture FichiersTexte::reecrire(const QString &chemin, const QByteArray &octets)
{
    if (octets.size() > tailleMaximale)
        return {Ecriture::Issue::TropLong, 0};
    const Tenue *t = tenue(chemin);
    if (!t)
        return {Ecriture::Issue::Erreur, disque::cheminChange};
    const disque::Identite attendu = t->identite;
    std::optional<disque::Identite> ecrit;
    int errMarque = 0;
    disque::Erreur err;
    {
        VerrouFichier verrou(*m_dossier, chemin);
        if (verrou.etat() == VerrouFichier::Etat::Erreur) {
            const int e = verrou.erreur();
            return {Ecriture::Issue::Erreur, e == ENOENT || e == ELOOP ? disque::cheminChange : disque::Erreur(e)};
        }
        if (verrou.etat() == VerrouFichier::Etat::Occupe)
            return {Ecriture::Issue::Erreur, EAGAIN};
        const int fd = verrou.fd();
        const std::optional<disque::Identite> id = disque::identite(fd);
        if (!id || !id->memeFichier(attendu))
            return {Ecriture::Issue::Erreur, disque::cheminChange};
        if (const int e = pasUnTexte(fd))
            return {Ecriture::Issue::Erreur, e};
        err = ecrireTenu(fd, chemin, octets, attendu, ecrit, errMarque);
        if (err == disque::cheminChange)
            return {Ecriture::Issue::Erreur, err};
        if (err) {
            // Not written: the text at this path is still this copy's own.
            marqueApres(fd);
            ecrit = disque::identite(fd);
        }
    }
    if (ecrit)
        tenir(chemin, *ecrit);
    if (err)
        return {Ecriture::Issue::Erreur, err};
    return {errMarque == 0 ? Ecriture::Issue::Ecrit : Ecriture::Issue::EcritNonMarque, errMarque};
}

std::optional<disque::Identite> FichiersTexte::terminer(const Reecriture &r, bool &fini)
{
    fini = false;
    VerrouFichier verrou(*m_dossier, r.chemin);
    if (verrou.etat() != VerrouFichier::Etat::Tenu && verrou.etat() != VerrouFichier::Etat::SansVerrou)
        return std::nullopt;
    const int fd = verrou.fd();
    const std::optional<disque::Identite> id = disque::identite(fd);
    const LectureAttribut a = m_attributs.lireFd(fd);
    QByteArray f;
    if (!id || !id->memeFichier(r.identite) || pasUnTexte(fd) != 0 || !a.ok() || !attribut::estMarque(a.mot)
        || disque::lire(fd, tailleMaximale, f) != 0)
        return std::nullopt;
    // The new bytes as far as the write went, the old ones after it.
    qsizetype k = 0;
    while (k < f.size() && k < r.octets.size() && f[k] == r.octets[k])
        ++k;
    const bool enCours = f == r.octets || (k == f.size() && f.size() >= r.avant.size())
                         || (f.size() == r.avant.size() && f.mid(k) == r.avant.mid(k));
    if (!enCours)
        return std::nullopt;
    // Finished or not, the file and its mark are the dead copy's.
    fini = surPlace(fd, r.chemin, r.octets, false).ok();
    return disque::identite(fd);
}
