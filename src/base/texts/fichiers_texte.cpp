#include "base/texts/fichiers_texte.h"

#include "base/texts/attributs.h"
#include "base/cp1252.h"
#include "base/texts/verrou.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <sys/stat.h>

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

// What the path itself is, not following a link: 0 when nothing is there.
mode_t sorte(const QString &chemin)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(chemin).constData(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}

} // namespace

FichiersTexte::FichiersTexte(Attributs &attributs) : m_attributs(attributs) {}

bool FichiersTexte::memeFichier(const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    const QString ca = QFileInfo(a).canonicalFilePath();
    const QString cb = QFileInfo(b).canonicalFilePath();
    return (!ca.isEmpty() && ca == cb) || QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

int FichiersTexte::marquer(const QString &chemin)
{
    return m_attributs.ecrire(chemin, attribut::marque);
}

bool FichiersTexte::estMarque(const QString &chemin) const
{
    const LectureAttribut a = m_attributs.lire(chemin);
    return a.ok() && attribut::estMarque(a.mot);
}

FichiersTexte::Tenue *FichiersTexte::tenue(const QString &chemin)
{
    for (Tenue &t : m_tenues) {
        if (t.chemin == chemin)
            return &t;
    }
    return nullptr;
}

void FichiersTexte::tenir(const QString &chemin)
{
    if (const std::optional<disque::Identite> id = disque::identite(chemin))
        tenir(chemin, *id);
}

void FichiersTexte::tenir(const QString &chemin, const disque::Identite &id)
{
    // One file is held once, whatever path named it.
    m_tenues.removeIf([&](const Tenue &t) { return t.chemin == chemin || t.identite.memeFichier(id); });
    m_tenues.append({chemin, id});
    if (m_surChangement)
        m_surChangement();
}

int FichiersTexte::liberer(const QString &chemin)
{
    const Tenue *t = tenue(chemin);
    if (!t)
        return 0;
    const std::optional<disque::Identite> id = disque::identite(chemin);
    int err = 0;
    if (id && id->memeFichier(t->identite))
        err = m_attributs.ecrire(chemin, attribut::libre);
    else if (sorte(chemin) != 0)
        err = disque::cheminChange;
    m_tenues.removeIf([&](const Tenue &u) { return u.chemin == chemin; });
    if (m_surChangement)
        m_surChangement();
    // A text someone deleted is no longer held by anybody.
    return err == ENOENT ? 0 : err;
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
        VerrouFichier verrou(chemin);
        id = disque::identite(chemin);
        if (!id || !id->inchangee(identite) || !estMarque(chemin))
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
    if (sorte(chemin) == S_IFLNK)
        return {Lecture::Issue::Erreur, {}, ELOOP};
    // The content is read once the text is ours, so it is the latest saved.
    bool pris = false;
    quint16 motAvant = attribut::libre;
    int errMarque = 0;
    {
        VerrouFichier verrou(chemin);
        const std::optional<disque::Identite> id = disque::identite(chemin);
        const bool sienne = id && std::any_of(m_tenues.cbegin(), m_tenues.cend(), [&](const Tenue &t) {
                                return t.identite.memeFichier(*id);
                            });
        const LectureAttribut a = m_attributs.lire(chemin);
        if (!sienne && a.ok() && attribut::estMarque(a.mot))
            return {Lecture::Issue::Pris, {}, 0};
        // A file that will not be read (missing, empty, too long) is left untouched.
        if (id && id->taille > 0 && id->taille <= tailleMaximale) {
            motAvant = a.ok() ? a.mot : attribut::libre;
            errMarque = marquer(chemin);
            pris = errMarque == 0;
        }
    }

    QByteArray octets;
    Lecture lecture = lu(disque::lire(chemin, tailleMaximale, octets), octets);
    const bool texteLu = lecture.issue == Lecture::Issue::Lu;
    if (pris && !texteLu)
        m_attributs.ecrire(chemin, motAvant); // the file changed after the test
    if (texteLu && !pris) {
        if (errMarque == 0)
            errMarque = marquer(chemin); // it was empty at the test and filled since
        if (errMarque != 0)
            return {Lecture::Issue::Erreur, {}, errMarque};
    }
    if (texteLu)
        tenir(chemin);
    return lecture;
}

FichiersTexte::Cible FichiersTexte::examiner(const QString &chemin) const
{
    switch (sorte(chemin)) {
    case 0:
        return {Cible::Etat::Absente, 0};
    case S_IFLNK:
        return {Cible::Etat::Lien, ELOOP};
    case S_IFREG:
        break;
    case S_IFDIR:
        return {Cible::Etat::Erreur, EISDIR};
    default:
        return {Cible::Etat::Erreur, EINVAL};
    }
    const LectureAttribut a = m_attributs.lire(chemin);
    if (!a.ok())
        return {Cible::Etat::Erreur, a.erreur};
    return {attribut::estMarque(a.mot) ? Cible::Etat::Prise : Cible::Etat::Libre, 0};
}

disque::AvantRenommage FichiersTexte::marquerLeBrouillon()
{
    // The new content is marked before it takes the text's place: on a share
    // it would otherwise come in with the server's default attributes, free
    // for any copy until marked. Where it cannot be, it is marked right after.
    return [this](const QByteArray &brouillon) {
        m_attributs.ecrireNatif(brouillon, attribut::marque);
        return 0;
    };
}

int FichiersTexte::remplacerSansLacher(const QString &chemin, const QByteArray &octets,
                                       const disque::Identite &attendu)
{
    // The text keeps its mark while it is written, so no other copy can take
    // it meanwhile.
    int err = disque::remplacer(chemin, octets, &attendu, marquerLeBrouillon());
    if (err != EACCES && err != EPERM)
        return err;
    // A share that refuses to replace a read-only file, or a folder where no
    // draft may be created: the mark is lifted for the write only, under the
    // lock, so no copy takes the text meanwhile; in place if it must be.
    VerrouFichier verrou(chemin);
    const std::optional<disque::Identite> id = disque::identite(chemin);
    if (!id || !id->memeFichier(attendu))
        return disque::cheminChange;
    if (m_attributs.ecrire(chemin, attribut::libre) != 0)
        return err;
    err = disque::remplacer(chemin, octets, &attendu, marquerLeBrouillon());
    if (err == EACCES || err == EPERM)
        err = disque::reecrireSurPlace(chemin, octets, attendu);
    if (err != disque::cheminChange)
        marquer(chemin);
    return err;
}

Ecriture FichiersTexte::ecrireSous(const QString &chemin, const QByteArray &octets)
{
    if (octets.size() > tailleMaximale)
        return {Ecriture::Issue::TropLong, 0};
    if (sorte(chemin) == 0) {
        // Two copies saving a new text under one name at once: the second finds it there.
        if (const int err = disque::remplacer(chemin, octets, nullptr, marquerLeBrouillon()))
            return {err == EEXIST ? Ecriture::Issue::Prise : Ecriture::Issue::Erreur, err};
        const int errMarque = marquer(chemin);
        tenir(chemin);
        return {Ecriture::Issue::Ecrit, errMarque};
    }

    quint16 motAvant = attribut::libre;
    std::optional<disque::Identite> attendu;
    {
        VerrouFichier verrou(chemin);
        attendu = disque::identite(chemin);
        if (!attendu)
            return {Ecriture::Issue::Erreur, sorte(chemin) == S_IFLNK ? ELOOP : EISDIR};
        const LectureAttribut a = m_attributs.lire(chemin);
        if (a.ok() && attribut::estMarque(a.mot))
            return {Ecriture::Issue::Prise, 0};
        motAvant = a.ok() ? a.mot : attribut::libre;
        if (const int err = marquer(chemin))
            return {Ecriture::Issue::Erreur, err};
    }
    if (const int err = remplacerSansLacher(chemin, octets, *attendu)) {
        // The old content is untouched; give it back its attributes too.
        if (err != disque::cheminChange)
            m_attributs.ecrire(chemin, motAvant);
        return {Ecriture::Issue::Erreur, err};
    }
    const int errMarque = marquer(chemin);
    tenir(chemin);
    return {Ecriture::Issue::Ecrit, errMarque};
}

Ecriture FichiersTexte::reecrire(const QString &chemin, const QByteArray &octets)
{
    if (octets.size() > tailleMaximale)
        return {Ecriture::Issue::TropLong, 0};
    const Tenue *t = tenue(chemin);
    if (!t)
        return {Ecriture::Issue::Erreur, disque::cheminChange};
    const int err = remplacerSansLacher(chemin, octets, t->identite);
    if (err == disque::cheminChange)
        return {Ecriture::Issue::Erreur, err};
    // Written or not, the text at this path is still this copy's own.
    const int errMarque = marquer(chemin);
    tenir(chemin);
    if (err != 0)
        return {Ecriture::Issue::Erreur, err};
    return {errMarque == 0 ? Ecriture::Issue::Ecrit : Ecriture::Issue::Erreur, errMarque};
}
