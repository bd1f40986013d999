#pragma once

#include <QString>

struct Controles;
struct EtatFenetre;
class Attributs;
class Dialogues;
class QWidget;

// The shared texts: reading and writing text files with their mark, and the
// document commands around the current text.
class Documents
{
public:
    Documents(EtatFenetre &etat, Controles &c, QWidget &fenetre, Dialogues &dialogues, Attributs &attributs);

    // --- File procedures -------------------------------------------------
    // Reads a text into contenu_lu; in writing mode refuses a marked text and
    // marks the text it read. A bare name is taken in Dir1's folder. The
    // text this copy already holds is read as its own, without refusal.
    void lire_fichier(const QString &texte_lu, bool dejaTenu = false);
    // Writes the writing zone as a new file; enregistrement_ok tells whether
    // it did. With garderMarque an existing file stays marked from before the
    // write on, for a caller that takes the text it wrote.
    void closefile(const QString &filename, bool garderMarque = false);
    // Rewrites the current text over its own file and keeps it marked;
    // false when the text could not be written (the pupil was told).
    bool reenregistrer(const QString &filename);
    // The file name after the last path separator.
    static QString extrait_nomfic(const QString &fichier, QChar separateur = nativeSeparator());

    // A plain, visible file at exactly this path.
    static bool existe(const QString &chemin);
    // Releases / marks a file. A file that no longer exists counts as released.
    // Each returns 0 or an errno.
    int liberer(const QString &chemin);
    int marquer(const QString &chemin);
    bool estMarque(const QString &chemin) const;

    // --- Saving ----------------------------------------------------------
    void enregistrer_Click();
    void Command2_Click();
    void enregistrer_sous_Click();
    enum class Resultat { Ecrit, NonEcrit, Annule };
    // Asks for a name and writes the text there; the written file becomes
    // the text this copy holds.
    Resultat etapeEnregistrerSous();

    // --- Opening, closing, quitting ----------------------------------------
    void ouvrir_Click();
    void Fermer_Click();
    // The closing sequence of "Quitter" and of the window's close; false
    // when the window must stay open because the text could not be saved.
    bool Form_Unload();
    // Lets go of the current text's file without asking anything, for an
    // end that no dialog may delay (a signal, the end of the session).
    void abandonnerSansQuestion();

    // The writing zone's length limit for saving, each line break counting 2.
    static constexpr int longueurMaximale = 3200;
    static constexpr qint64 tailleMaximaleFichier = 32000;

private:
    static QChar nativeSeparator();
    void viderTexteCourant();
    void desactiverCommandes();
    void erreurFermer(int numero);
    bool memeFichier(const QString &a, const QString &b) const;
    QString cheminComplet(const QString &chemin) const;
    QByteArray octetsAEcrire() const;
    int remplacerSansLacher(const QString &chemin);
    bool refuserSiTropLong();
    void erreurOuverture();

    EtatFenetre &m_etat;
    Controles &m_c;
    QWidget &m_fenetre;
    Dialogues &m_dialogues;
    Attributs &m_attributs;
};
