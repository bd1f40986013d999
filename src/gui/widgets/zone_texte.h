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
    // Replaces the selection (or inserts at the caret) as a pupil's edit.
    void remplacerSelection(const QString &texte);

signals:
    // Any change made by the pupil; not emitted for definirTexteCrLf().
    void modifieParLeLecteur();

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    bool m_chargement = false;
};

// Line breaks of any convention become '\n'.
QString normaliserSauts(QStringView texte);
