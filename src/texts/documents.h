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
    // marks the text it read. A bare name is taken in Dir1's folder.
    void lire_fichier(const QString &texte_lu);
    // Writes the writing zone as a new file; enregistrement_ok tells whether it did.
    void closefile(const QString &filename);
    // Rewrites the current text over its own file and keeps it marked.
    void reenregistrer(const QString &filename);
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
    // Asks for a name and writes the text there; true when written.
    bool etapeEnregistrerSous();

    // The writing zone's length limit for saving, each line break counting 2.
    static constexpr int longueurMaximale = 3200;
    static constexpr qint64 tailleMaximaleFichier = 32000;

private:
    static QChar nativeSeparator();
    QString cheminComplet(const QString &chemin) const;
    QByteArray octetsAEcrire() const;
    bool refuserSiTropLong();
    void erreurOuverture();

    EtatFenetre &m_etat;
    Controles &m_c;
    QWidget &m_fenetre;
    Dialogues &m_dialogues;
    Attributs &m_attributs;
};
