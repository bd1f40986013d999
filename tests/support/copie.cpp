// A copy of Plumor run by the tests that kill or stop it; it says one line
// when ready and waits to be stopped from outside.
//   copie ouvrir TEXTE [AUTRE]  opens TEXTE, says "pret" (or "echec"); with
//                               AUTRE, which another copy holds, then tries to
//                               open that one too and says "refus" while the
//                               refusal is on screen
// With its recovery record under $XDG_STATE_HOME:
//   copie taper TEXTE MOTS      opens TEXTE (none for "-"), types MOTS, says
//                               "tape" once past the record's delay
//   copie oui|non               answers the recovery question so, says
//                               "<current file>\t<zone, | for CR LF>"
#include "app/arret.h"
#include "app/demarrage.h"
#include "fenetre.h"
#include "gui/reprise.h"
#include "gui/texts/documents.h"
#include "gui/widgets/zone_texte.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QTimer>

#include <cstdio>

namespace {
void dire(const QString &ligne)
{
    std::printf("%s\n", ligne.toUtf8().constData());
    std::fflush(stdout);
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    preparerApplication(app);
    const QString mode = QString::fromLocal8Bit(argv[1]), texte = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString();
    // Only the recovery tests may keep a record: the others set no state folder.
    const bool ouvrir = mode == QLatin1String("ouvrir");
    Fenetre f = ouvrirFenetre(ouvrir ? QFileInfo(texte).absolutePath() : QDir::tempPath(), nullptr, {},
                              ouvrir ? QString() : recuperation::dossierParDefaut());
    relierArretPropre(*f.form);
    if (ouvrir || mode == QLatin1String("taper")) {
        f.dialogues->fichiers << texte;
        if (texte != QLatin1String("-"))
            f.documents().ouvrir_Click();
    }
    if (ouvrir) {
        dire(QLatin1String(f.etat().fichier_courant == texte ? "pret" : "echec"));
        if (argc > 3) {
            f.dialogues->pendantMessage = [](const Dialogues::Message &) {
                dire(QStringLiteral("refus"));
                QEventLoop boite; // as a modal box's own loop
                boite.exec();
            };
            f.dialogues->fichiers << QString::fromLocal8Bit(argv[3]);
            f.documents().ouvrir_Click();
        }
    } else if (mode == QLatin1String("taper")) {
        taper(f.c().Text1, QString::fromUtf8(argv[3]));
        QTimer::singleShot(2 * Reprise::delaiMs, [] { dire(QStringLiteral("tape")); });
    } else {
        f.dialogues->reponses << (mode == QLatin1String("oui") ? Dialogues::Reponse::Oui : Dialogues::Reponse::Non);
        f.form->reprise()->proposer();
        dire(f.etat().fichier_courant + u'\t' + f.c().Text1->texteCrLf().replace(QLatin1String("\r\n"), QLatin1String("|")));
    }
    return app.exec();
}
