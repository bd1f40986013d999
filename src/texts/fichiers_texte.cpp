#include "texts/fichiers_texte.h"

#include "texts/attributs.h"
#include "texts/cp1252.h"
#include "texts/disque.h"
#include "texts/verrou.h"

#include <QFileInfo>

#include <cerrno>

using Lecture = FichiersTexte::Lecture;

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

} // namespace

FichiersTexte::FichiersTexte(Attributs &attributs) : m_attributs(attributs) {}

bool FichiersTexte::existe(const QString &chemin)
{
    const QFileInfo info(chemin);
    return info.isFile() && !info.isHidden();
}

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

int FichiersTexte::liberer(const QString &chemin)
{
    if (chemin.isEmpty())
        return 0;
    const int err = m_attributs.ecrire(chemin, attribut::libre);
    // A text someone deleted or renamed is no longer held by anybody.
    return err == ENOENT ? 0 : err;
}

bool FichiersTexte::estMarque(const QString &chemin) const
{
    const LectureAttribut a = m_attributs.lire(chemin);
    return a.ok() && attribut::estMarque(a.mot);
}

Lecture FichiersTexte::lire(const QString &chemin) const
{
    QByteArray octets;
    const int err = disque::lire(chemin, tailleMaximale, octets);
    return lu(err, octets);
}

Lecture FichiersTexte::prendre(const QString &chemin, bool dejaTenu)
{
    // The content is read once the text is ours, so it is the latest saved.
    bool pris = false;
    quint16 motAvant = attribut::libre;
    int errMarque = 0;
    {
        VerrouFichier verrou(chemin);
        const LectureAttribut a = m_attributs.lire(chemin);
        if (!dejaTenu && a.ok() && attribut::estMarque(a.mot))
            return {Lecture::Issue::Pris, {}, 0};
        // A file that will not be read (missing, empty, too long) is left untouched.
        const QFileInfo info(chemin);
        if (info.isFile() && info.size() > 0 && info.size() <= tailleMaximale) {
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
    return lecture;
}

FichiersTexte::Cible FichiersTexte::examiner(const QString &chemin) const
{
    if (!existe(chemin))
        return {Cible::Etat::Absente, 0};
    const LectureAttribut a = m_attributs.lire(chemin);
    if (!a.ok())
        return {Cible::Etat::Erreur, a.erreur};
    return {attribut::estMarque(a.mot) ? Cible::Etat::Prise : Cible::Etat::Libre, 0};
}

int FichiersTexte::remplacerSansLacher(const QString &chemin, const QByteArray &octets)
{
    // The text keeps its mark while it is written, so no other copy can take
    // it meanwhile (a marked file's mode goes to the new content). A share
    // that refuses to replace a read-only file gets it released first.
    int err = disque::remplacer(chemin, octets);
    if ((err == EACCES || err == EPERM) && estMarque(chemin) && liberer(chemin) == 0)
        err = disque::remplacer(chemin, octets);
    return err;
}

FichiersTexte::Ecriture FichiersTexte::ecrireSous(const QString &chemin, const QByteArray &octets)
{
    if (!existe(chemin)) {
        if (const int err = disque::remplacer(chemin, octets))
            return {Ecriture::Issue::Erreur, err};
        return {Ecriture::Issue::Ecrit, marquer(chemin)};
    }

    quint16 motAvant = attribut::libre;
    {
        VerrouFichier verrou(chemin);
        const LectureAttribut a = m_attributs.lire(chemin);
        if (a.ok() && attribut::estMarque(a.mot))
            return {Ecriture::Issue::Prise, 0};
        motAvant = a.ok() ? a.mot : attribut::libre;
        if (const int err = marquer(chemin))
            return {Ecriture::Issue::Erreur, err};
    }
    if (const int err = remplacerSansLacher(chemin, octets)) {
        // The old content is untouched; give it back its attributes too.
        m_attributs.ecrire(chemin, motAvant);
        return {Ecriture::Issue::Erreur, err};
    }
    return {Ecriture::Issue::Ecrit, marquer(chemin)};
}

int FichiersTexte::reecrire(const QString &chemin, const QByteArray &octets)
{
    const int err = remplacerSansLacher(chemin, octets);
    if (err == 0)
        return marquer(chemin);
    // The previous content is intact and still this copy's text.
    if (existe(chemin))
        marquer(chemin);
    return err;
}
