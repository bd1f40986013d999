#include "gui/widgets/dialogues.h"

#include "gui/widgets/dialogue_police.h"
#include "gui/widgets/titre.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

DialoguesQt::DialoguesQt(QWidget *parent) : m_parent(parent) {}

DialoguesQt::~DialoguesQt() = default;

Dialogues::Reponse DialoguesQt::message(const Message &m)
{
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

std::optional<QString> DialoguesQt::choisirFichier(ModeFichier mode, const QString &dossier)
{
    // A new dialog every time, gone with all it showed: a dialog kept between
    // uses kept its completion list floating over the writing zone, where it
    // swallowed the pupil's next click. The folder and the name it ended on
    // are remembered instead.
    QFileDialog dialogue(m_parent);
    dialogue.setNameFilter(QStringLiteral("text files (*.txt)"));
    dialogue.setDirectory(m_dernierDossier.isEmpty() ? dossier : m_dernierDossier);
    // The program asks before overwriting, in its own words.
    dialogue.setOption(QFileDialog::DontConfirmOverwrite);
    const bool enregistrer = mode == ModeFichier::Enregistrer;
    dialogue.setAcceptMode(enregistrer ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialogue.setFileMode(enregistrer ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialogue.setDefaultSuffix(enregistrer ? QStringLiteral("txt") : QString());
    dialogue.setWindowTitle(enregistrer ? QStringLiteral("Enregistrer sous") : QStringLiteral("Ouvrir"));
    if (!m_dernierNom.isEmpty())
        dialogue.selectFile(m_dernierNom);
    const bool choisi = dialogue.exec() == QDialog::Accepted && !dialogue.selectedFiles().isEmpty();
    m_dernierDossier = dialogue.directory().absolutePath();
    if (!choisi)
        return std::nullopt;
    const QFileInfo chemin(dialogue.selectedFiles().constFirst());
    m_dernierNom = chemin.fileName();
    return chemin.absoluteFilePath();
}

std::optional<QFont> DialoguesQt::choisirPolice(const QFont &initiale, ChoixPolice choix,
                                                const Application &appliquer)
{
    // Created when needed: the font database is not read at start-up.
    DialoguePolice dialogue(initiale, choix == ChoixPolice::FaceEtTaille, m_parent);
    if (appliquer)
        dialogue.ajouterAppliquer(appliquer);
    if (dialogue.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialogue.police();
}
