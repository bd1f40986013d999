#pragma once

#include <Qt>

struct Controles;
struct EtatFenetre;
class Dialogues;
class Documents;
class QWidget;

// The folder browser, the reader pane and the periodic refresh of the labels
// and document commands.
class Navigateur
{
public:
    Navigateur(EtatFenetre &etat, Controles &c, Dialogues &dialogues, Documents &documents);

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

    EtatFenetre &m_etat;
    Controles &m_c;
    Dialogues &m_dialogues;
    Documents &m_documents;
    bool m_dossierPerdu = false;
};
