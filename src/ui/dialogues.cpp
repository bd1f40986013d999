#include "ui/dialogues.h"

#include "ui/titre.h"

#include <QFileDialog>
#include <QDialogButtonBox>
#include <QFontDialog>
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
    if (!m_dialogue1) {
        m_dialogue1 = std::make_unique<QFileDialog>(m_parent);
        m_dialogue1->setNameFilter(QStringLiteral("text files (*.txt)"));
        m_dialogue1->setDirectory(dossier);
        // The program asks before overwriting, in its own words.
        m_dialogue1->setOption(QFileDialog::DontConfirmOverwrite);
    }
    const bool enregistrer = mode == ModeFichier::Enregistrer;
    m_dialogue1->setAcceptMode(enregistrer ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    m_dialogue1->setFileMode(enregistrer ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    m_dialogue1->setDefaultSuffix(enregistrer ? QStringLiteral("txt") : QString());
    m_dialogue1->setWindowTitle(enregistrer ? QStringLiteral("Enregistrer sous") : QStringLiteral("Ouvrir"));
    if (m_dialogue1->exec() != QDialog::Accepted || m_dialogue1->selectedFiles().isEmpty())
        return std::nullopt;
    const QString chemin = m_dialogue1->selectedFiles().constFirst();
    m_dialogue1->selectFile(QFileInfo(chemin).fileName());
    return QFileInfo(chemin).absoluteFilePath();
}

std::optional<QFont> DialoguesQt::choisirPolice(const Application &appliquer)
{
    // Created when needed: the font database is not read at start-up.
    QFontDialog dialogue(m_parent);
    if (auto *boutons = dialogue.findChild<QDialogButtonBox *>()) {
        QPushButton *appliquerBouton = boutons->addButton(QDialogButtonBox::Apply);
        QObject::connect(appliquerBouton, &QPushButton::clicked, &dialogue, [&] {
            if (appliquer)
                appliquer(dialogue.currentFont());
        });
    }
    if (dialogue.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialogue.selectedFont();
}
