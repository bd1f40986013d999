#include "gui/form1.h"

#include "gui/reprise.h"

#include "gui/edit/commandes_edition.h"
#include "gui/lexicon/lexique_fenetre.h"
#include "base/texts/attributs.h"
#include "gui/texts/documents.h"
#include "gui/texts/navigateur.h"
#include "gui/apropos.h"
#include "gui/widgets/annonceur.h"
#include "gui/widgets/cadre.h"
#include "gui/widgets/dialogues.h"
#include "gui/fenetre/accessibilite.h"
#include "gui/fenetre/disposition.h"
#include "gui/widgets/geometrie.h"
#include "gui/widgets/liste_fichiers.h"
#include "gui/widgets/titre.h"
#include "gui/widgets/twips.h"
#include "gui/widgets/zone_texte.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenuBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QTimer>


Form1::Form1(ServicesForm1 services)
{
    setObjectName(QStringLiteral("Form1"));
    afficherTitre(*this, QStringLiteral("b"));

    m_c = construireControles(this);
    rendreAccessible(this, m_c);
    suivreLaZone(m_etat, m_c);
    // The window manager gets the program's picture (the about button's) once
    // the window is up: X11 takes all seven sizes, up to 256 pixels, and
    // painting them costs more than building the rest of the window.
    QTimer::singleShot(0, this, [this] { setWindowIcon(m_c.Command4->icon()); });
    m_dialogues = services.dialogues ? std::move(services.dialogues) : std::make_unique<DialoguesQt>(this);
    // The class folder is opened once, on the share's own thread: every text below it is reached from it.
    m_partage = std::make_unique<Partage>(services.attributs ? std::move(services.attributs)
                                                             : std::make_unique<AttributsSysteme>(),
                                          services.dossierDepart);
    m_finImmediate = services.finImmediate ? std::move(services.finImmediate) : [] { ::_exit(0); };
    m_documents = std::make_unique<Documents>(m_etat, m_c, *this, *m_dialogues, *m_partage);
    m_navigateur = std::make_unique<Navigateur>(m_etat, m_c, *m_dialogues, *m_documents, *m_partage);
    m_edition = std::make_unique<CommandesEdition>(m_etat, m_c, *m_dialogues);
    m_lexique = std::make_unique<LexiqueFenetre>(
        m_etat, m_c, *m_dialogues,
        services.dossierProgramme.isEmpty() ? QCoreApplication::applicationDirPath() : services.dossierProgramme);
    m_impression = std::make_unique<Impression>(
        *m_dialogues, services.imprimante ? std::move(services.imprimante) : std::make_unique<ImprimanteSysteme>(),
        [this] {
            return TexteAImprimer{m_c.Text1->texteCrLf(), Documents::extrait_nomfic(m_etat.fichier_courant),
                                  m_c.Text1->font()};
        });

    resize(twips::taille(12105, 7875) + QSize(0, menuBar()->sizeHint().height()));
    // Laid out and centred again by the outer size once the window manager
    // has framed the window, before the pupil sees it.
    new SuiviCadre(this, [this](bool premiereFois) {
        if (premiereFois)
            centrer();
        Form_Resize();
    });
    relier();
    Form_Load();
    if (!services.dossierRecuperation.isEmpty())
        m_reprise = std::make_unique<Reprise>(services.dossierRecuperation, m_etat, m_c, *m_documents, *m_partage,
                                              *m_dialogues);
    // Once centred, so that a message about the folder stands over the window.
    m_navigateur->partirDe(services.dossierDepart);
}

Form1::~Form1() = default;

void Form1::centrer()
{
    const QScreen *ecran = screen();
    if (!ecran)
        return;
    move(geometrie::coinCentre(ecran->geometry(), frameGeometry().size()));
    const QRect cadre = frameGeometry();
    const QRect ajuste = geometrie::dansLEcran(cadre, ecran->availableGeometry());
    if (ajuste != cadre) {
        resize(size() - (cadre.size() - ajuste.size()));
        move(ajuste.topLeft());
    }
}

void Form1::Form_Load()
{
    centrer();
    // Lay the controls out once before the first display, without imposing
    // the minimum on a window the window manager has not framed yet.
    const QSize exterieur = frameGeometry().size();
    disposition::appliquer(disposition::calculer(twips::depuisPixels(exterieur.width()),
                                                 twips::depuisPixels(exterieur.height()), false),
                           m_c);
    m_etat.fichier_courant.clear();
    m_etat.zone_active = 1;
    m_etat.mode_lecture = 0;
    m_etat.ecriture_en_cours = 0;
    m_lexique->lire_intrus();
    decrireTextes(m_etat, m_c);
    m_c.Timer1->start();
}

void Form1::relier()
{
    Documents *d = m_documents.get();
    connect(m_c.Command1, &QPushButton::clicked, this, [d] { d->ouvrir_Click(); });
    connect(m_c.ouvrir, &QAction::triggered, this, [d] { d->ouvrir_Click(); });
    connect(m_c.Command2, &QPushButton::clicked, this, [d] { d->Command2_Click(); });
    connect(m_c.enregistrer, &QAction::triggered, this, [d] { d->enregistrer_Click(); });
    connect(m_c.enregistrer_sous, &QAction::triggered, this, [d] { d->enregistrer_sous_Click(); });
    connect(m_c.Fermer, &QAction::triggered, this, [d] { d->Fermer_Click(); });
    Impression *imp = m_impression.get();
    // The print leaves nothing on screen: a screen reader is told it went.
    const auto imprime = [this] { Annonceur::annoncer(this, QStringLiteral("Texte envoyé à l'imprimante.")); };
    connect(m_c.Imprimer, &QAction::triggered, this, [imp, d, imprime] {
        if (!d->occupe() && imp->Imprimer_Click())
            imprime();
    });
    connect(m_c.Command3, &QPushButton::clicked, this, [imp, d, imprime] {
        if (!d->occupe() && imp->Command3_Click())
            imprime();
    });
    // "Quitter" runs the same sequence as closing the window.
    connect(m_c.Quitter, &QAction::triggered, this, &QWidget::close);
    // Any change the pupil makes counts: a changed text is never dropped unasked.
    connect(m_c.Text1, &ZoneTexte::modifieParLeLecteur, this, [this] { m_etat.ecriture_en_cours = 1; });
    connect(m_c.Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(m_c.Command4, &QPushButton::clicked, this, [this] { afficherAPropos(this); });
    connect(m_c.about, &QAction::triggered, this, [this] { afficherAPropos(this); });
    m_navigateur->relier(this);
    // A share that does not answer is said, and when it answers again; the
    // pupil may write on meanwhile, and the text is kept on this machine.
    connect(m_partage.get(), &Fil::silence, this, [this] {
        const QString texte = QStringLiteral("Le lecteur réseau ne répond pas. Votre texte est gardé sur ce poste : "
                                             "vous pouvez continuer à écrire, ou quitter Plumor.");
        m_dialogues->avis(texte);
        Annonceur::annoncer(this, texte);
    });
    connect(m_partage.get(), &Fil::reponse, this, [this] {
        m_dialogues->avis({});
        Annonceur::annoncer(this, QStringLiteral("Le lecteur réseau répond de nouveau."));
    });
    m_edition->relier();
    m_lexique->relier();

    // After each command ends, a screen reader hears the panes as they now are,
    // without waiting for the tick; after opening a text or choosing a font
    // the pupil goes on writing, so the focus goes back to the writing zone
    // (it stayed on the picture button, or on the menu bar).
    const auto ecrire = [this] {
        decrireTextes(m_etat, m_c);
        m_c.Text1->setFocus(Qt::OtherFocusReason);
    };
    connect(m_c.Command1, &QPushButton::clicked, this, ecrire);
    connect(m_c.ouvrir, &QAction::triggered, this, ecrire);
    connect(m_c.police, &QAction::triggered, this, ecrire);
    // The commands come back at once, before what the command says is heard.
    connect(m_documents.get(), &Documents::termine, this, [this] {
        m_navigateur->majLongueurEtCommandes();
        decrireTextes(m_etat, m_c, true);
    });
}

void Form1::resizeEvent(QResizeEvent *e)
{
    QMainWindow::resizeEvent(e);
    Form_Resize();
}

void Form1::Form_Resize()
{
    // Sizes are the window's outer size: frame, title bar and menu bar included.
    const disposition::Fenetre f =
        disposition::pourClient(size(), frameGeometry().size() - size(), windowState());
    if (disposition::minimumImposable(windowState())) {
        if (minimumSize() != f.clientMinimal)
            setMinimumSize(f.clientMinimal);
        if (f.client != size())
            resize(f.client);
    }
    disposition::appliquer(f.places, m_c);
}

void Form1::Timer1_Timer()
{
    m_edition->majBoutons();
    m_navigateur->majLongueurEtCommandes();
    decrireTextes(m_etat, m_c);
}

void Form1::quitterSansLePartage()
{
    m_dialogues->avis({});
    m_dialogues->information(QStringLiteral("Le lecteur réseau ne répond pas : Plumor se ferme, et votre texte est "
                                            "gardé sur ce poste. Il vous sera proposé au prochain démarrage."));
    if (m_reprise)
        m_reprise->ecrireMaintenant();
    m_finImmediate();
}

void Form1::closeEvent(QCloseEvent *e)
{
    if (m_fermetureAccordee) {
        e->accept();
        return;
    }
    e->ignore();
    // A command waits for the share: a short wait is let end; a share that
    // no longer answers is not waited for.
    if (m_documents->occupe()) {
        if (m_partage->silencieux())
            quitterSansLePartage();
        return;
    }
    // The close comes again once the text is saved and let go.
    m_documents->Form_Unload([this](bool fermer) {
        if (!fermer)
            return;
        m_fermetureAccordee = true;
        close();
    });
}
