// A copy of Plumor that opens the text named on its command line, says
// "pret" and waits to be stopped from outside.
#include "app/arret.h"
#include "app/demarrage.h"
#include "fenetre.h"
#include "texts/documents.h"

#include <QApplication>
#include <QDir>
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
    return app.exec();
}
