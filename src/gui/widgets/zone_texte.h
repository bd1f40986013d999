#pragma once

#include <QPlainTextEdit>

// A text pane holding what a Windows-1252 text file can hold.
//
// The procedures see its text with CR LF line breaks, each break counting 2 in
// lengths, exactly as the file will hold it. Text entering the writing zone
// (typed, pasted, dropped) is made storable as it enters, so what the pupil
// sees is what is saved.
class ZoneTexte : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit ZoneTexte(QWidget *parent = nullptr);

    // The text with CR LF line breaks; non-breaking spaces are kept.
    QString texteCrLf() const;
    // Shows a text read from a file; CR LF, lone CR and lone LF all break lines.
    void definirTexteCrLf(const QString &texte);
    // Length of texteCrLf(), without building it.
    int longueurCrLf() const;
    bool estVide() const;

    int longueurSelection() const;
    QString texteSelectionne() const;
    // Replaces the selection (or inserts at the caret) as a pupil's edit;
    // nothing while the zone is read-only.
    void remplacerSelection(const QString &texte);

    // Counts every change of the text, so that a command can tell whether
    // the pupil typed while it waited.
    quint64 revision() const { return m_revision; }
    // While a command is about to replace or empty the text, nothing may be
    // typed that it would drop: the zone turns read-only, and looks it.
    void suspendre(bool suspendue);

signals:
    // Any change made by the pupil; not emitted for definirTexteCrLf().
    void modifieParLeLecteur();

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    bool m_chargement = false;
    quint64 m_revision = 0;
};

// Line breaks of any convention become '\n'.
QString normaliserSauts(QStringView texte);
