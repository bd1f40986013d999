#include "gui/widgets/dialogues.h"

#include "gui/widgets/dialogue_police.h"
#include "gui/widgets/dialogue_textes.h"
#include "gui/widgets/arriere_plan.h"
#include "gui/widgets/titre.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>

#include <thread>

namespace {
// A thread of its own for one question to the disk, left behind if the disk
// never answers; the answer is taken on the window's thread.
void surUnFil(std::function<Suite()> travail)
{
    std::thread([travail = std::move(travail)] {
        plusTardSur(qApp, travail());
    }).detach();
}

#ifdef Q_OS_WIN
// Qt's file dialog asks the disk about the chosen name on the window's
// thread when the pupil presses Return, several times over: on a share that
// drags or hangs, the window stopped with it. The name is asked about once,
// on a thread of its own; the dialog stays alive meanwhile (Cancel works),
// and a second Return is not a second question.
class DialogueFichier : public QFileDialog
{
public:
    using QFileDialog::QFileDialog;
    QString choisi() const { return m_choisi; }

    void accept() override
    {
        auto *ligne = findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
        // The platform's own dialog has no name field of Qt's: it asked its
        // own questions, and its answer is taken as it is.
        if (!ligne)
            return QFileDialog::accept();
        const QString nom = ligne->text().trimmed();
        if (m_question || nom.isEmpty() || nom.contains(u'"'))
            return nom.contains(u'"') ? QFileDialog::accept() : void();
        m_question = true;
        const QString chemin = QFileInfo(nom).isAbsolute() ? nom : directory().absolutePath() + u'/' + nom;
        surUnFil([chemin, moi = QPointer<DialogueFichier>(this)] {
            // One stat answers both: the folder question first, whose
            // answer QFileInfo keeps for the other.
            const QFileInfo info(chemin);
            const bool dossier = info.isDir(), existe = dossier || info.exists();
            return Suite([=] {
                if (moi)
                    moi->conclure(chemin, existe, dossier);
            });
        });
    }

private:
    void conclure(QString chemin, bool existe, bool dossier)
    {
        m_question = false;
        const bool enregistrer = acceptMode() == AcceptSave;
        if (enregistrer && !dossier && !existe && QFileInfo(chemin).suffix().isEmpty() && !defaultSuffix().isEmpty())
            chemin += u'.' + defaultSuffix();
        // A folder, or a text that is not there to open: Qt's own answers.
        if (dossier || (!enregistrer && !existe))
            return QFileDialog::accept();
        m_choisi = chemin;
        QDialog::accept();
    }

    bool m_question = false;
    QString m_choisi;
};
#endif

// The dialog reads its folder's attributes on the window's thread as it is
// built. They are asked for here first, on a thread of their own, while the
// window goes on painting (the pupil's input waits): the dialog is then
// built from what the system just kept of the folder. A folder that does
// not answer within a command's own wait is not waited for longer: false,
// and the window is the pupil's again.
constexpr int attenteMaximaleMs = 3000; // as long as a command waits before the notice

bool attendreLeDossier(const QString &dossier)
{
    QEventLoop boucle;
    surUnFil([dossier, b = QPointer<QEventLoop>(&boucle)] {
        (void)QFileInfo(dossier).isDir();
        return Suite([b] {
            if (b)
                b->exit(0);
        });
    });
    QTimer::singleShot(attenteMaximaleMs, &boucle, [&boucle] { boucle.exit(1); });
    return boucle.exec(QEventLoop::ExcludeUserInputEvents) == 0;
}

// Gives the window back its activation and the focus it had once a dialog
// is gone. That was left to the window manager; where none hands it back
// (none running, or one that does not), Plumor had no active window after
// every dialog: keys still reached the window through X's own focus, but a
// screen reader saw the focus nowhere.
class RetourDeFocus
{
public:
    explicit RetourDeFocus(QWidget *parent) : m_fenetre(parent ? parent->window() : nullptr), m_focus(QApplication::focusWidget()) {}
    ~RetourDeFocus()
    {
        if (!m_fenetre || !m_fenetre->isVisible())
            return;
        // Asking the window manager is not enough: it may hold the window
        // for active already and tell nobody; the keys reach the window, so
        // Qt is told so too.
        if (QApplication::activeWindow() != m_fenetre) {
            m_fenetre->activateWindow();
            QApplication::setActiveWindow(m_fenetre);
        }
        if (m_focus && m_focus->window() == m_fenetre && m_focus->isVisible() && m_focus->isEnabled())
            m_focus->setFocus(Qt::OtherFocusReason);
    }

private:
    QPointer<QWidget> m_fenetre;
    QPointer<QWidget> m_focus;
};
} // namespace

DialoguesQt::DialoguesQt(QWidget *parent) : m_parent(parent) {}

DialoguesQt::~DialoguesQt() = default;

Dialogues::Reponse DialoguesQt::message(const Message &m)
{
    const RetourDeFocus retour(m_parent);
    QMessageBox boite(m_parent);
    boite.setTextFormat(Qt::PlainText);
    boite.setText(m.texte);
    afficherTitre(boite, m.titre.isEmpty() ? titreApplication() : m.titre);
    boite.setIcon(m.icone == Icone::Exclamation ? QMessageBox::Warning : QMessageBox::NoIcon);
    switch (m.boutons) {
    case Boutons::Ok:
        boite.setStandardButtons(QMessageBox::Ok);
        break;
    case Boutons::OkAnnuler:
        boite.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        boite.setEscapeButton(QMessageBox::Cancel);
        break;
    case Boutons::OuiNon:
        boite.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        boite.setEscapeButton(QMessageBox::No);
        break;
    }
    switch (boite.exec()) {
    case QMessageBox::Yes: return Reponse::Oui;
    case QMessageBox::No: return Reponse::Non;
    case QMessageBox::Cancel: return Reponse::Annuler;
    default: return m.boutons == Boutons::OuiNon ? Reponse::Non : Reponse::Ok;
    }
}

void DialoguesQt::avis(const QString &texte)
{
    if (m_avis)
        m_avis->deleteLater();
    if (texte.isEmpty())
        return;
    m_avis = new QMessageBox(QMessageBox::NoIcon, titreApplication(), texte, QMessageBox::Ok, m_parent);
    m_avis->setTextFormat(Qt::PlainText);
    m_avis->setWindowModality(Qt::NonModal);
    m_avis->setAttribute(Qt::WA_DeleteOnClose);
    m_avis->show();
}

std::optional<QString> DialoguesQt::choisirFichier(ModeFichier mode, const QString &dossier)
{
    // A new dialog every time, gone with all it showed: a dialog kept between
    // uses kept its completion list floating over the writing zone, where it
    // swallowed the pupil's next click. The folder and the name it ended on
    // are remembered instead.
    const RetourDeFocus retour(m_parent);
    const QString depart = m_dernierDossier.isEmpty() ? dossier : m_dernierDossier;
    if (!attendreLeDossier(depart)) {
        information(QStringLiteral("Le lecteur réseau ne répond pas : le dossier « %1 » ne peut pas être montré. "
                                   "Réessayez dans un moment.").arg(QDir::toNativeSeparators(depart)));
        return std::nullopt;
    }
    const bool enregistrer = mode == ModeFichier::Enregistrer;
#ifdef Q_OS_WIN
    // The platform's own dialog, as a Windows school knows it.
    DialogueFichier dialogue(m_parent);
    dialogue.setNameFilter(QStringLiteral("text files (*.txt)"));
    dialogue.setDirectory(depart);
    // The program asks before overwriting, in its own words.
    dialogue.setOption(QFileDialog::DontConfirmOverwrite);
    dialogue.setAcceptMode(enregistrer ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialogue.setFileMode(enregistrer ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialogue.setDefaultSuffix(enregistrer ? QStringLiteral("txt") : QString());
    dialogue.setWindowTitle(enregistrer ? QStringLiteral("Enregistrer sous") : QStringLiteral("Ouvrir"));
    if (!m_dernierNom.isEmpty())
        dialogue.selectFile(m_dernierNom);
    const bool choisi = dialogue.exec() == QDialog::Accepted;
    m_dernierDossier = dialogue.directory().absolutePath();
    // Through the dialog's own checks (a folder typed, then a text in it), or ours.
    const QString nom = !choisi ? QString() : !dialogue.choisi().isEmpty() ? dialogue.choisi()
                                            : dialogue.selectedFiles().value(0);
#else
    // Qt's widget dialog asks the share on the window's thread as it builds
    // its model and at every change of the name; this one never does.
    DialogueTextes dialogue(enregistrer, surUnFil, m_parent);
    dialogue.ouvrirSur(depart, m_dernierNom);
    const bool choisi = dialogue.exec() == QDialog::Accepted;
    m_dernierDossier = dialogue.dossier();
    const QString nom = choisi ? dialogue.choisi() : QString();
#endif
    if (nom.isEmpty())
        return std::nullopt;
    const QFileInfo chemin(nom);
    m_dernierNom = chemin.fileName();
    return chemin.absoluteFilePath();
}

std::optional<QFont> DialoguesQt::choisirPolice(const QFont &initiale, ChoixPolice choix,
                                                const Application &appliquer)
{
    const RetourDeFocus retour(m_parent);
    // Created when needed: the font database is not read at start-up.
    DialoguePolice dialogue(initiale, choix == ChoixPolice::FaceEtTaille, m_parent);
    if (appliquer)
        dialogue.ajouterAppliquer(appliquer);
    if (dialogue.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialogue.police();
}
