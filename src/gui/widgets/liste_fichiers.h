#pragma once

#include <QListWidget>

// The file list: the names of one folder's files that match "*.txt",
// without the folder, sorted. Case is ignored in the match, as on the class's
// Windows machines.
class ListeFichiers : public QListWidget
{
    Q_OBJECT
public:
    explicit ListeFichiers(QWidget *parent = nullptr);

    QString dossier() const { return m_dossier; }
    // Shows another folder; false when it cannot be listed (the list is then empty).
    bool definirDossier(const QString &chemin);
    // Reads the folder's names again, keeping the selection and the scroll
    // position; emits nothing. False when the folder cannot be listed.
    bool actualiser();
    // The selected name, or an empty string.
    QString nomSelectionne() const;

    // The names a folder shows, in order (also used without a widget).
    static QStringList nomsTextes(const QString &dossier, bool *lisible = nullptr);

signals:
    // The pupil selected a name, with the mouse or by moving with the keyboard.
    void selectionParLeLecteur();
    // The pupil scrolled the list.
    void defileParLeLecteur();

protected:
    void focusInEvent(QFocusEvent *e) override;

private:
    QString m_dossier;
    bool m_actualisation = false;
};
