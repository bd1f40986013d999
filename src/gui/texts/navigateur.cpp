#include "gui/texts/navigateur.h"

#include "gui/texts/documents.h"
#include "base/texts/partage.h"
#include "gui/fenetre/accessibilite.h"
#include "gui/fenetre/controles.h"
#include "gui/widgets/dialogues.h"
#include "gui/fenetre/etat_fenetre.h"
#include "gui/widgets/liste_dossiers.h"
#include "gui/widgets/liste_fichiers.h"
#include "gui/widgets/zone_texte.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>

namespace {

const QString messageDossierIllisible = QStringLiteral("Ce dossier n'est pas accessible!");

// Routes the reader pane's mouse events to the handlers.
class FiltreLecteur : public QObject
{
public:
    FiltreLecteur(Navigateur &n, QObject *parent) : QObject(parent), m_n(n) {}

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return m_n.Text2_MouseDown(static_cast<QMouseEvent *>(e)->button());
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent *>(e)->button() == Qt::LeftButton)
                m_n.Text2_Click();
            return false;
        case QEvent::ContextMenu:
            // The right button already said "Texte protégé!".
            return static_cast<QContextMenuEvent *>(e)->reason() == QContextMenuEvent::Mouse;
        default:
            return false;
        }
    }

private:
    Navigateur &m_n;
};

} // namespace

Navigateur::Navigateur(EtatFenetre &etat, Controles &c, Dialogues &dialogues, Documents &documents, Partage &partage)
    : m_etat(etat), m_c(c), m_dialogues(dialogues), m_documents(documents)
{
    const ArrierePlan surLePartage = [&partage](std::function<Suite()> travail) {
        partage.poster([travail = std::move(travail)](FichiersTexte &) {
            plusTardSur(qApp, travail());
        });
    };
    m_c.Dir1->definirArrierePlan(surLePartage);
    m_c.File1->definirArrierePlan(surLePartage);
}

void Navigateur::partirDe(const QString &dossier)
{
    // A removed current directory has no path any more but the shell's.
    QString chemin = !dossier.isEmpty() ? dossier : QDir::currentPath();
    if (chemin.isEmpty())
        chemin = qEnvironmentVariable("PWD");
    m_c.Dir1->definirDossier(chemin, [this, chemin](bool lu) {
        if (lu)
            return montrerFichiers();
        // A share not mounted yet, or a shortcut to a folder that is gone.
        m_dialogues.information(QStringLiteral("Le dossier de départ n'est pas accessible!")
                                + (chemin.isEmpty() ? QString() : u'\n' + QDir::toNativeSeparators(chemin)));
        essayerParent(chemin.isEmpty() ? QString() : QDir::cleanPath(QDir(chemin).absolutePath()));
    });
}

void Navigateur::essayerParent(const QString &dossier)
{
    const QString parent = QFileInfo(dossier).path();
    // The root leads nowhere a pupil knows: the home folder does.
    if (dossier.isEmpty() || parent == dossier || QDir(parent).isRoot()) {
        m_c.Dir1->definirDossier(QDir::homePath(), [this](bool lu) {
            if (lu)
                montrerFichiers();
            else
                m_c.Dir1->definirDossier(QDir::rootPath(), [this](bool) { montrerFichiers(); });
        });
        return;
    }
    m_c.Dir1->definirDossier(parent, [this, parent](bool lu) { lu ? montrerFichiers() : essayerParent(parent); });
}

void Navigateur::montrerFichiers()
{
    m_c.File1->definirDossier(m_c.Dir1->dossier());
}

void Navigateur::relier(QWidget *fenetre)
{
    QObject::connect(m_c.Dir1, &ListeDossiers::dossierChange, fenetre, [this] { Dir1_Change(); });
    QObject::connect(m_c.Dir1, &ListeDossiers::dossierIllisible, fenetre,
                     [this] { m_dialogues.information(messageDossierIllisible); });
    QObject::connect(m_c.File1, &ListeFichiers::selectionParLeLecteur, fenetre, [this] { File1_Click(); });
    QObject::connect(m_c.File1, &ListeFichiers::defileParLeLecteur, fenetre, [this] { File1_Scroll(); });
    QObject::connect(m_c.File1, &ListeFichiers::lue, fenetre, [this](bool lisible) { fichiersLus(lisible); });
    m_c.Text2->viewport()->installEventFilter(new FiltreLecteur(*this, m_c.Text2));
}

void Navigateur::Dir1_Change()
{
    // Never put off while a command runs: the command works on the names it
    // started with, and the file list must follow the folder list.
    m_c.Label5->setText(QStringLiteral("textes de ce dossier:"));
    m_dossierPerdu = false;
    montrerFichiers();
}

void Navigateur::actualiserFichiers()
{
    m_c.File1->actualiser();
}

void Navigateur::fichiersLus(bool lisible)
{
    // A folder removed or a drive gone: say it once, keep the lists usable.
    if (!lisible && !m_dossierPerdu)
        m_dialogues.information(messageDossierIllisible);
    m_dossierPerdu = !lisible;
}

void Navigateur::File1_Click()
{
    m_c.lexique->hide();
    const QString nom = m_c.File1->nomSelectionne();
    // Only the last click's text is shown: one read while a command runs
    // waits for it on the share's thread.
    const int clic = ++m_clic;
    const auto montrer = [this, nom, clic](const QString &texte) {
        if (clic != m_clic)
            return;
        m_c.Text2->definirTexteCrLf(texte);
        if (!texte.isEmpty()) {
            m_c.nom_texte2->setText(QLatin1Char(' ') + nom);
            m_c.taille->setText(libelleLongueur(texte.size()));
        } else {
            m_c.nom_texte2->clear();
            m_c.taille->clear();
        }
        decrireTextes(m_etat, m_c);
        actualiserFichiers();
    };
    if (nom.isEmpty()) {
        m_etat.contenu_lu.clear();
        return montrer(QString());
    }
    m_etat.mode_lecture = 1;
    m_documents.lire_fichier(nom, montrer);
    m_etat.mode_lecture = 0;
}

void Navigateur::File1_Scroll()
{
    actualiserFichiers();
}

void Navigateur::Text2_Click()
{
    m_c.lexique->hide();
    m_etat.zone_active = 2;
}

bool Navigateur::Text2_MouseDown(Qt::MouseButton bouton)
{
    if (bouton == Qt::LeftButton)
        return false;
    m_dialogues.information(QStringLiteral("Texte protégé!"));
    QTextCursor curseur = m_c.Text2->textCursor();
    curseur.setPosition(curseur.selectionStart());
    m_c.Text2->setTextCursor(curseur);
    return true;
}

void Navigateur::majLongueurEtCommandes()
{
    m_c.taille_plumor->setText(libelleLongueur(m_c.Text1->longueurCrLf()));
    // While a command waits for the share, no other starts.
    const bool t = !m_c.Text1->estVide() && !m_documents.occupe();
    m_c.Command2->setEnabled(t);
    m_c.Command3->setEnabled(t);
    m_c.Fermer->setEnabled(t);
    m_c.Imprimer->setEnabled(t);
    m_c.enregistrer->setEnabled(t);
    m_c.enregistrer_sous->setEnabled(t);
}
