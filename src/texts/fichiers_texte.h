#pragma once

#include <QByteArray>
#include <QString>

class Attributs;

// The class's texts on disk with their mark, and nothing of the window: each
// call says what happened, and the window decides what the pupil is told.
//
// A copy holds a text while the text's attribute word is exactly 1. Each
// test of a mark and the setting that follows it run under a short
// operating-system lock on the file, so that two copies at the same instant
// cannot both take one text; the lock is always dropped before a call
// returns, so no pupil's answer is ever awaited while it is held.
class FichiersTexte
{
public:
    // Files of more bytes are not read.
    static constexpr qint64 tailleMaximale = 32000;

    explicit FichiersTexte(Attributs &attributs);

    struct Lecture {
        enum class Issue { Lu, Vide, Pris, TropLong, Erreur };
        Issue issue = Issue::Erreur;
        QString texte;  // the content, when Lu
        int erreur = 0; // the errno, when Erreur
    };
    // For the reader pane: the mark is neither tested nor touched.
    Lecture lire(const QString &chemin) const;
    // For writing: refuses a text another copy holds and marks the text it
    // reads. The text this copy already holds (`dejaTenu`) is read again as
    // its own. A text that cannot be marked is not read: other copies would
    // not see that it is taken.
    Lecture prendre(const QString &chemin, bool dejaTenu = false);

    // What stands where a text is to be written under a new name.
    struct Cible {
        enum class Etat { Absente, Libre, Prise, Erreur };
        Etat etat = Etat::Absente;
        int erreur = 0;
    };
    Cible examiner(const QString &chemin) const;

    struct Ecriture {
        enum class Issue { Ecrit, Prise, Erreur };
        Issue issue = Issue::Erreur;
        // Erreur: why nothing was written. Ecrit: why the written text
        // could not be marked, or 0.
        int erreur = 0;
    };
    // Writes a text under a new name and takes it. A file found free by
    // examiner() is tested again under the lock (a copy may have taken it
    // while the pupil was asked) and keeps its mark from then on; when the
    // write fails its content and attribute word stay as they were.
    Ecriture ecrireSous(const QString &chemin, const QByteArray &octets);
    // Rewrites the text this copy holds and marks it again; 0 or an errno.
    // A text that could not be written keeps its previous content, marked.
    int reecrire(const QString &chemin, const QByteArray &octets);

    int marquer(const QString &chemin);
    // A file that no longer exists counts as released. 0 or an errno.
    int liberer(const QString &chemin);
    bool estMarque(const QString &chemin) const;

    // A plain, visible file at exactly this path.
    static bool existe(const QString &chemin);
    // Whether two paths name the same file.
    static bool memeFichier(const QString &a, const QString &b);

private:
    int remplacerSansLacher(const QString &chemin, const QByteArray &octets);

    Attributs &m_attributs;
};
