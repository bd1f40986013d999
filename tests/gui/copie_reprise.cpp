// A copy of Plumor keeping its recovery record under $XDG_STATE_HOME.
//   copie_reprise taper TEXTE MOTS   opens TEXTE (none for "-"), types MOTS, says
//                                    "tape" once past the record's delay and waits
//   copie_reprise oui|non            answers the recovery question so, says
//                                    "<current file>\t<zone, | for CR LF>" and waits
#include "app/arret.h"
#include "app/demarrage.h"
#include "gui/reprise.h"
#include "fenetre.h"
#include "gui/texts/documents.h"
#include "gui/widgets/zone_texte.h"

#include <QApplication>
#include <QDir>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    preparerApplication(app);
    const QString mode = QString::fromLocal8Bit(argv[1]);
    Fenetre f = ouvrirFenetre(QDir::tempPath(), nullptr, {}, recuperation::dossierParDefaut());
    relierArretPropre(*f.form);
    if (mode == QLatin1String("taper")) {
        f.dialogues->fichiers << QString::fromLocal8Bit(argv[2]);
        if (f.dialogues->fichiers.constFirst() != QLatin1String("-"))
            f.documents().ouvrir_Click();
        taper(f.c().Text1, QString::fromUtf8(argv[3]));
        QTimer::singleShot(2 * Reprise::delaiMs, [] { std::puts("tape"); std::fflush(stdout); });
    } else {
        f.dialogues->reponses << (mode == QLatin1String("oui") ? Dialogues::Reponse::Oui : Dialogues::Reponse::Non);
        f.form->reprise()->proposer();
        const QString zone = f.c().Text1->texteCrLf().replace(QLatin1String("\r\n"), QLatin1String("|"));
        std::printf("%s\n", (f.etat().fichier_courant + u'\t' + zone).toUtf8().constData());
        std::fflush(stdout);
    }
    return app.exec();
}
