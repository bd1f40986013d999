#pragma once

#include "gui/widgets/arriere_plan.h"

#include <QListWidget>

// The file list: the names of one folder's files that match "*.txt",
// without the folder, sorted. Case is ignored in the match, as on the class's
// Windows machines.
class ListeFichiers : public QListWidget
{
    Q_OBJECT
public:
    explicit ListeFichiers(QWidget *parent = nullptr);

    // Where the folder is read (default: here, at once).
    void definirArrierePlan(ArrierePlan a) { m_arrierePlan = std::move(a); }

    QString dossier() const { return m_dossier; }
    // Shows another folder, once read (lue()); the list is empty meanwhile.
    void definirDossier(const QString &chemin);
    // Reads the folder's names again, then shows them keeping the selection
    // and the scroll position. One reading at a time: asked again meanwhile,
    // the folder is read once more after it.
    void actualiser();
    // The selected name, or an empty string.
    QString nomSelectionne() const;

    // The names a folder shows, in order (also used without a widget).
    static QStringList nomsTextes(const QString &dossier, bool *lisible = nullptr);

signals:
    // The pupil selected a name, with the mouse or by moving with the keyboard.
    void selectionParLeLecteur();
    // The pupil scrolled the list.
    void defileParLeLecteur();
    // A reading is shown; `lisible` false when the folder could not be listed
    // (the list is then empty).
    void lue(bool lisible);

protected:
    void focusInEvent(QFocusEvent *e) override;

private:
    void montrer(const QString &dossier, const QStringList &noms, bool lisible);

    ArrierePlan m_arrierePlan = ici;
    QString m_dossier;
    bool m_actualisation = false;
    bool m_enLecture = false, m_encore = false;
};
