#pragma once

#include "gui/widgets/arriere_plan.h"

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QTimer;

// The open and save dialog, laid out as Qt's own: a folder's sub-folders and
// its "*.txt" texts, a name field, the type "text files (*.txt)". Every
// question to the disk, the listing and the check of a typed name, runs
// where `arrierePlan` puts it, never on the window's thread: Qt's dialog
// builds its model of the folder and checks each typed name there, a round
// trip each on a share.
class DialogueTextes : public QDialog
{
    Q_OBJECT
public:
    DialogueTextes(bool enregistrer, ArrierePlan arrierePlan, QWidget *parent = nullptr);

    // Lists `dossier`, proposing `nom` in the name field.
    void ouvrirSur(const QString &dossier, const QString &nom);
    QString dossier() const { return m_dossier; }
    // The chosen full path once accepted; a name without a suffix saved gets ".txt".
    QString choisi() const { return m_choisi; }

    // How long a listing may take before the list says the share does not answer.
    static constexpr int attenteMaximaleMs = 3000;

protected:
    bool eventFilter(QObject *objet, QEvent *e) override;

private:
    struct Contenu {
        QStringList dossiers, textes;
        bool lisible = true;
    };
    static Contenu lire(const QString &dossier);
    void aller(const QString &dossier);
    void montrer(const Contenu &c);
    void avertir(const QString &texte);
    void activer(QListWidgetItem *item);
    void accepter();
    void conclure(QString chemin, bool existe, bool estDossier);

    const bool m_enregistrer;
    ArrierePlan m_arrierePlan;
    QString m_dossier, m_choisi;
    int m_lecture = 0; // the listing whose answer is awaited
    bool m_question = false;
    QComboBox *m_chemin;
    QListWidget *m_liste;
    QLineEdit *m_nom;
    QPushButton *m_accepter;
    QTimer *m_attente;
};
