// Prints a Windows-1252 text file through the print command on the system's
// default printer, the pupil answering OK and DejaVu Sans, as with the
// class's files.
//
//   plumor_imprimer_fichier TEXTE.txt
//
// Exit status: 0 when the command asked its question and said nothing more,
// 1 otherwise (no file, no printer). Whether a page came out is for the
// caller to see.

#include "dialogues_scriptes.h"
#include "gui/print/impression.h"
#include "base/cp1252.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QPrinterInfo>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QFile fichier(app.arguments().value(1));
    fichier.open(QIODevice::ReadOnly);
    qWarning("printers: %s; default: %s", qPrintable(QPrinterInfo::availablePrinterNames().join(u' ')),
             qPrintable(QPrinterInfo::defaultPrinterName()));
    // The writing zone holds the file without its final line break.
    QString texte = cp1252::decode(fichier.readAll());
    texte.chop(texte.endsWith(u"\r\n") ? 2 : 0);
    DialoguesScriptes dialogues;
    dialogues.reponses = {Dialogues::Reponse::Ok};
    dialogues.polices = {QFont(QStringLiteral("DejaVu Sans"), 14)};
    Impression(dialogues).impression(texte, QFileInfo(fichier).fileName());
    qWarning("messages: %s", qPrintable(dialogues.textes().join(u" | ")));
    return dialogues.messages.size() == 1 ? 0 : 1;
}
