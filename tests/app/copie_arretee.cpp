// A copy of Plumor that opens the text named on its command line, says
// "pret" and waits to be stopped from outside. With a second text, which
// another copy holds, it then tries to open that one too and waits, saying
// "refus", while the refusal is on screen.
#include "app/arret.h"
#include "app/demarrage.h"
#include "fenetre.h"
#include "gui/texts/documents.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    preparerApplication(app);
    const QString texte = QString::fromLocal8Bit(argv[1]);
    Fenetre f = ouvrirFenetre(QFileInfo(texte).absolutePath());
    relierArretPropre(*f.form);
    f.dialogues->fichiers << texte;
    f.form->documents().ouvrir_Click();
    std::printf("%s\n", f.etat().fichier_courant == texte ? "pret" : "echec");
    std::fflush(stdout);
    if (argc > 2) {
        f.dialogues->pendantMessage = [](const Dialogues::Message &) {
            std::printf("refus\n");
            std::fflush(stdout);
            QEventLoop boite; // as a modal box's own loop
            boite.exec();
        };
        f.dialogues->fichiers << QString::fromLocal8Bit(argv[2]);
        f.form->documents().ouvrir_Click();
    }
    return app.exec();
}
