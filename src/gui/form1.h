#pragma once

#include "gui/print/impression.h"
#include "base/texts/attributs.h"
#include "base/texts/partage.h"
#include "gui/fenetre/controles.h"
#include "gui/widgets/dialogues.h"
#include "gui/fenetre/etat_fenetre.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class CommandesEdition;
class Documents;
class LexiqueFenetre;
class Navigateur;
class Reprise;

// What the window works with; tests put their own in.
struct ServicesForm1 {
    std::unique_ptr<Dialogues> dialogues;  // default: Qt's dialogs
    std::unique_ptr<Attributs> attributs;  // default: the system's attributes
    std::unique_ptr<FournisseurImprimante> imprimante; // default: the system's default printer
    QString dossierDepart;                 // default: the current directory
    QString dossierProgramme;              // where lexique.stw is; default: the executable's folder
    QString dossierRecuperation;           // the recovery records' folder; empty: none kept
    // Ends the process at once, for a close while the share does not answer:
    // nothing may wait for it then. Default: _exit.
    std::function<void()> finImmediate;
};

// The main window: it owns the controls and the window state and routes each
// event to the subsystem that handles it.
class Form1 : public QMainWindow
{
    Q_OBJECT
public:
    explicit Form1(ServicesForm1 services = {});
    ~Form1() override;

    EtatFenetre &etat() { return m_etat; }
    Controles &controles() { return m_c; }
    Documents &documents() { return *m_documents; }
    Navigateur &navigateur() { return *m_navigateur; }
    CommandesEdition &edition() { return *m_edition; }
    LexiqueFenetre &lexique() { return *m_lexique; }
    Impression &impression() { return *m_impression; }
    Dialogues &dialogues() { return *m_dialogues; }
    Partage &partage() { return *m_partage; }
    // Null when no recovery record is kept.
    Reprise *reprise() { return m_reprise.get(); }

protected:
    void closeEvent(QCloseEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    void Form_Load();
    // Centres the window's frame on its screen, kept inside the usable area.
    void centrer();
    void relier();
    void Timer1_Timer();
    void Form_Resize();
    // The pupil closes the window while a command waits for a share that no
    // longer answers: the text is kept on this machine and Plumor ends.
    void quitterSansLePartage();

    EtatFenetre m_etat;
    Controles m_c;
    std::unique_ptr<Dialogues> m_dialogues;
    std::unique_ptr<Partage> m_partage;
    std::unique_ptr<Documents> m_documents;
    std::unique_ptr<Navigateur> m_navigateur;
    std::unique_ptr<CommandesEdition> m_edition;
    std::unique_ptr<LexiqueFenetre> m_lexique;
    std::unique_ptr<Impression> m_impression;
    // Last, so that it writes its final record while everything else stands.
    std::unique_ptr<Reprise> m_reprise;
    std::function<void()> m_finImmediate;
    // The closing sequence said yes: the next close ends the window.
    bool m_fermetureAccordee = false;
};
