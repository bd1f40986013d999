// A copy of Plumor run by an unprivileged user, for the faults root cannot
// see: it plays one scenario on a class folder and prints what the pupil was
// told ("M "), the writing zone ("Z ") and the current file ("C ").
//   panne_sans_droits dossier-lecture-seule|fichier-illisible <folder>
#include "app/demarrage.h"
#include "fenetre.h"
#include "texts/documents.h"
#include "texts/navigateur.h"
#include "ui/liste_fichiers.h"
#include "ui/zone_texte.h"

#include <QApplication>
#include <QDir>

#include <cstdio>
#include <sys/stat.h>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    preparerApplication(app);
    if (argc != 3)
        return 2;
    const QString scenario = QString::fromLocal8Bit(argv[1]);
    const QString dossier = QString::fromLocal8Bit(argv[2]);
    const QString texte = QDir(dossier).filePath(QStringLiteral("a.txt"));
    Fenetre f = ouvrirFenetre(dossier);
    Documents &d = f.form->documents();

    if (scenario == QLatin1String("dossier-lecture-seule")) {
        f.dialogues->fichiers << texte;
        d.ouvrir_Click();
        f.c().Text1->selectAll();
        f.c().Text1->remplacerSelection(QStringLiteral("nouveau"));
        ::chmod(QFile::encodeName(dossier).constData(), 0555);
        d.enregistrer_Click();
        f.dialogues->reponses << Dialogues::Reponse::Oui;
        d.Fermer_Click();
    } else {
        f.c().File1->setCurrentRow(0); // a click: the reader pane reads it
        std::printf("L %s\n", qUtf8Printable(f.c().Text2->texteCrLf()));
        f.dialogues->fichiers << texte;
        d.ouvrir_Click();
    }
    for (const QString &m : f.dialogues->textes())
        std::printf("M %s\n", qUtf8Printable(m));
    std::printf("Z %s\nC %s\n", qUtf8Printable(f.c().Text1->texteCrLf()), qUtf8Printable(f.etat().fichier_courant));
    return 0;
}
