#pragma once

#include "base/texts/disque.h"

#include <QChar>
#include <QObject>
#include <QString>

#include <functional>

struct Controles;
struct EtatFenetre;
class Dialogues;
class Partage;
class QWidget;

// The document commands around the current text: the window's procedures
// that read and write text files, and the commands that open, save and
// close. The disk and the marks are FichiersTexte's, reached on the share's
// own thread (Partage); this class turns what happened there into the
// pupil's messages, the window title, the labels and the menu items.
//
// A command never waits for the share: each of its steps is launched on the
// share's thread from what the window holds when the step starts, and its
// result is applied to the window in one go when it comes back, through the
// window's own event loop. Nothing of the window's state changes before
// then, so the recovery record never pairs one text's words with another's
// file. The procedures take what follows them (`suite`) as an argument.
class Documents : public QObject
{
    Q_OBJECT
public:
    Documents(EtatFenetre &etat, Controles &c, QWidget &fenetre, Dialogues &dialogues, Partage &partage);

    // Whether a command is under way: no other may start meanwhile.
    bool occupe() const { return m_enCours; }

    using Suite = std::function<void(bool)>;

    // --- The procedures that touch text files ----------------------------
    // Reads a text, hands it to `suite` and leaves it in contenu_lu (empty:
    // nothing read); in writing mode refuses a marked text and marks the
    // text it read. A bare name is taken in Dir1's folder. The text this copy
    // already holds is read as its own.
    void lire_fichier(const QString &texte_lu, std::function<void(const QString &)> suite);
    // Writes the writing zone as a new file and takes it; whether it did is
    // handed on, and left in enregistrement_ok as well.
    void closefile(const QString &filename, Suite suite);
    // Rewrites the current text over its own file and keeps it marked;
    // false when the text could not be written (the pupil was told).
    void reenregistrer(const QString &filename, Suite suite);
    // The file name after the last path separator.
    static QString extrait_nomfic(const QString &fichier, QChar separateur = separateurNatif());

    // --- Saving ----------------------------------------------------------
    void enregistrer_Click();
    void Command2_Click();
    void enregistrer_sous_Click();
    enum class Resultat { Ecrit, NonEcrit, Annule };
    // Asks for a name and writes the text there; the written file becomes
    // the text this copy holds and the previous one is let go.
    void etapeEnregistrerSous(std::function<void(Resultat)> suite);

    // --- Opening, closing, quitting ----------------------------------------
    void ouvrir_Click();
    void Fermer_Click();
    // The closing sequence of "Quitter" and of the window's close; false
    // when the window must stay open because the text could not be saved.
    void Form_Unload(Suite suite);
    // Lets go of the texts this copy holds without asking anything, for an
    // end that no dialog may delay (a signal, the end of the session): for a
    // second at most, a share that does not answer is not waited for.
    void abandonnerSansQuestion();
    // Shows a text as the current one, title and commands as after « Ouvrir »;
    // an empty path for a new text.
    void montrerTexte(const QString &chemin, const QString &texte);

    // The writing zone's length limit for saving, each line break counting 2.
    static constexpr int longueurMaximale = 3200;

signals:
    // A command ended, its result applied.
    void termine();

private:
    // The commands that let go of the current text.
    enum class Lacher { Fermer, Quitter, Ouvrir };
    // Starts a command; one that will replace or empty the writing zone
    // keeps the pupil from typing into it until it ends.
    void commencer(bool remplaceLaZone);
    void terminer();
    void rendreLaZone();
    // Offers to save the current text before a command lets go of it, and
    // saves it; false when the command must stop and keep the text.
    void enregistrerAvantDeLacher(Lacher commande, Suite suite);
    // Releases the current file and empties the writing zone and the title.
    void lacherTexteCourant(std::function<void()> suite);
    // Releases a text this copy holds, unless it is the file `sauf` names
    // (the same text opened again); tells the pupil when it stays taken.
    void liberer(const QString &chemin, const QString &sauf, std::function<void()> suite);
    // Writes the zone, as it was at `revision`, to a new file once closefile
    // has checked the name.
    void ecrireSous(const QString &filename, const QByteArray &octets, quint64 revision, Suite suite);
    // A name the file system holds in bytes that are not UTF-8 would name
    // another file once written back: such a name is refused, and said so.
    bool refuserNomIllisible(const QString &chemin);
    // The message for a write that failed: "Erreur=" or "Erreur=closefile"
    // and the reason, or a message of its own.
    void erreurEcriture(const QString &prefixe, disque::Erreur erreur);
    static QChar separateurNatif();
    void desactiverCommandes();
    QString cheminComplet(const QString &chemin) const;
    QByteArray octetsAEcrire() const;
    bool refuserSiTropLong();
    void erreurOuverture();
    // The zone is saved as it was at `revision`: still unsaved if the pupil
    // typed on while the save waited.
    void enregistreA(quint64 revision);

    EtatFenetre &m_etat;
    Controles &m_c;
    QWidget &m_fenetre;
    Dialogues &m_dialogues;
    Partage &m_partage;
    bool m_enCours = false;
    bool m_zoneSuspendue = false;
};
