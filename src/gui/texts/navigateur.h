#pragma once

#include <Qt>

#include <QString>

struct Controles;
struct EtatFenetre;
class Dialogues;
class Documents;
class Partage;
class QWidget;

// The folder browser, the reader pane and the periodic refresh of the labels
// and document commands.
class Navigateur
{
public:
    // The folders are read on the share's thread: a share that does not
    // answer leaves the lists as they were, never the window waiting.
    Navigateur(EtatFenetre &etat, Controles &c, Dialogues &dialogues, Documents &documents, Partage &partage);

    // Start-up: shows a folder in both lists (empty: the current directory).
    // A folder that cannot be shown is said once, and the lists show its
    // nearest parent that can, or else the home folder.
    void partirDe(const QString &dossier);

    // Connects the lists and the reader pane to the handlers below.
    void relier(QWidget *fenetre);

    void Dir1_Change();
    void File1_Click();
    void File1_Scroll();
    void Text2_Click();
    // Returns true when the press was handled (any button but the left one).
    bool Text2_MouseDown(Qt::MouseButton bouton);

    // The timer's part for the writing zone: its length under it, and the
    // document commands enabled exactly while it holds text.
    void majLongueurEtCommandes();

private:
    void actualiserFichiers();
    // The parents of a start folder that could not be shown, nearest first.
    void essayerParent(const QString &dossier);
    void montrerFichiers();
    void fichiersLus(bool lisible);

    EtatFenetre &m_etat;
    Controles &m_c;
    Dialogues &m_dialogues;
    Documents &m_documents;
    bool m_dossierPerdu = false;
    int m_clic = 0; // the reader pane's last click
};
