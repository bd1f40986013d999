#pragma once

#include "gui/widgets/arriere_plan.h"

#include <QListWidget>

#include <functional>

// The directory list: the path of one folder from the root, then that
// folder's sub-folders. A double click, or Enter, shows the folder of an entry.
class ListeDossiers : public QListWidget
{
    Q_OBJECT
public:
    explicit ListeDossiers(QWidget *parent = nullptr);

    // Where the folders are read (default: here, at once).
    void definirArrierePlan(ArrierePlan a) { m_arrierePlan = std::move(a); }

    QString dossier() const { return m_dossier; }
    // Shows a folder once read, then tells `apres` whether it could be (the
    // list keeps the previous one otherwise). Only the last folder asked
    // for is shown.
    void definirDossier(const QString &chemin, std::function<void(bool)> apres = {});

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

    struct Lu;
    void montrer(const Lu &lu);

    ArrierePlan m_arrierePlan = ici;
    QString m_dossier;
    int m_demande = 0;
};
