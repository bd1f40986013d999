// A copy of Plumor run by the recovery tests, which kill or stop it; it says
// one line when ready and waits to be stopped from outside. With its
// recovery record under $XDG_STATE_HOME, its class folder $PLUMOR_CLASSE
// (default: the temporary folder):
//   copie taper TEXTE MOTS      opens TEXTE (none for "-"), types MOTS, says
//                               "tape" once past the record's delay
//   a line "session" on its input ends the desktop session
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
#include <QSocketNotifier>
#include <QTimer>

#include <unistd.h>

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
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString classe = qEnvironmentVariable("PLUMOR_CLASSE", QDir::tempPath());
    Fenetre f = ouvrirFenetre(classe, nullptr, {}, recuperation::dossierParDefaut());
    relierArretPropre(*f.form);
    // A line "session" on its input: the desktop session ends.
    QSocketNotifier entree(0, QSocketNotifier::Read);
    QObject::connect(&entree, &QSocketNotifier::activated, [&f, &entree] {
        char ligne[16] = {};
        if (::read(0, ligne, sizeof ligne - 1) > 0 && QByteArray(ligne).startsWith("session"))
            finDeSession(*f.form);
        else
            entree.setEnabled(false);
    });
    if (mode == QLatin1String("taper")) {
        f.dialogues->fichiers << QString::fromLocal8Bit(argv[2]);
        if (f.dialogues->fichiers.constFirst() != QLatin1String("-"))
            f.documents().ouvrir_Click();
        f.attendre();
        taper(f.c().Text1, QString::fromUtf8(argv[3]));
        QTimer::singleShot(2 * Reprise::delaiMs, [] { dire(QStringLiteral("tape")); });
    } else {
        f.dialogues->reponses << (mode == QLatin1String("oui") ? Dialogues::Reponse::Oui : Dialogues::Reponse::Non);
        f.form->reprise()->proposer();
        dire(f.etat().fichier_courant + u'\t' + f.c().Text1->texteCrLf().replace(QLatin1String("\r\n"), QLatin1String("|")));
    }
    return app.exec();
}
