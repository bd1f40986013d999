#pragma once

#include <QDialog>
#include <QString>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The about box: product name, version, rights notice and terms of use.
// It is built when shown and deletes itself when closed, so every opening
// centres it and writes its version again.
class apropos : public QDialog
{
    Q_OBJECT
public:
    explicit apropos(QWidget *parent = nullptr);

    QFrame *Frame1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *version = nullptr;
    QPlainTextEdit *Text1 = nullptr;
    QPushButton *OKButton = nullptr;

private:
    void Form_Load();
    // Centres the box's frame on the screen by the twip formula.
    void centrer();
};

// Shows the about box modally over parent and returns once it is gone.
void afficherAPropos(QWidget *parent);

// The terms of use shown in the box: 40 lines of at most 70 characters,
// separated by CR LF, none after the last.
QString conditionsUtilisation();
