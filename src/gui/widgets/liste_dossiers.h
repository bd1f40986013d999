#pragma once

#include <QListWidget>

// The directory list: the path of one folder from the root, then that
// folder's sub-folders. A double click, or Enter, shows the folder of an entry.
class ListeDossiers : public QListWidget
{
    Q_OBJECT
public:
    explicit ListeDossiers(QWidget *parent = nullptr);

    QString dossier() const { return m_dossier; }
    // Shows a folder; returns false (and shows nothing new) when it cannot be listed.
    bool definirDossier(const QString &chemin);

signals:
    // The shown folder changed at the pupil's request.
    void dossierChange();
    // The chosen folder could not be listed; the list kept the previous one.
    void dossierIllisible(const QString &chemin);

protected:
    void keyPressEvent(QKeyEvent *e) override;

private:
    // Shows the folder of an entry, as a double click on it does.
    void entrer(QListWidgetItem *item);

    QString m_dossier;
};
