// A copy of Plumor for bench/coupures.sh, offscreen, keeping its recovery
// record under $XDG_STATE_HOME as the real program does:
//   coupure taper TEXTE      opens TEXTE and types at its end one character
//                            every 20 ms, saving every 200; after each one
//                            prints "<characters typed> <CLOCK_REALTIME ns>"
//   coupure reprendre TEXTE  answers « Oui » to the recovery question, prints
//                            "<zone length> <file length> <held> <marked>
//                            <other messages shown>", then quits as a pupil
//                            who does not save
#include "gui/reprise.h"
#include "commun.h"
#include "gui/texts/documents.h"
#include "gui/widgets/zone_texte.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <sys/stat.h>

namespace {

class DialoguesReprise : public DialoguesMuets
{
public:
    QString texte;
    Reponse message(const Message &m) override
    {
        if (m.texte.startsWith(QStringLiteral("Plumor s'est arrêté")))
            return Reponse::Oui;
        return DialoguesMuets::message(m);
    }
    std::optional<QString> choisirFichier(ModeFichier, const QString &) override { return texte; }
};

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 3)
        return 2;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString texte = QFileInfo(QString::fromLocal8Bit(argv[2])).absoluteFilePath();
    auto dialogues = std::make_unique<DialoguesReprise>();
    dialogues->texte = texte;
    const DialoguesReprise *vus = dialogues.get();
    ServicesForm1 s;
    s.dialogues = std::move(dialogues);
    s.dossierDepart = QFileInfo(texte).absolutePath();
    s.dossierProgramme = QStringLiteral(PLUMOR_DONNEES);
    s.dossierRecuperation = recuperation::dossierParDefaut();
    Form1 form(std::move(s));
    ZoneTexte *zone = form.controles().Text1;

    if (qstrcmp(argv[1], "reprendre") == 0) {
        form.reprise()->proposer();
        const auto &t = form.partage().tenues();
        const bool tenu = std::any_of(t.cbegin(), t.cend(), [&](const FichiersTexte::Tenue &u) { return u.chemin == texte; });
        struct stat st {};
        const bool marque = ::stat(argv[2], &st) == 0 && (st.st_mode & 0222) == 0;
        std::printf("%d %lld %d %d %d\n", zone->longueurCrLf(), static_cast<long long>(st.st_size), tenu, marque,
                    vus->messages);
        form.close();
        return 0;
    }

    form.documents().ouvrir_Click();
    const QString phrase = QStringLiteral("Le petit renard est entré dans la classe, très doucement. ");
    int tapes = 0;
    QTimer touche;
    QObject::connect(&touche, &QTimer::timeout, [&] {
        QKeyEvent k(QEvent::KeyPress, 0, Qt::NoModifier, QString(phrase.at(tapes % phrase.size())));
        QCoreApplication::sendEvent(zone, &k);
        if (++tapes % 200 == 0)
            form.documents().Command2_Click();
        timespec maintenant {};
        ::clock_gettime(CLOCK_REALTIME, &maintenant);
        std::printf("%d %lld\n", tapes, static_cast<long long>(maintenant.tv_sec) * 1000000000 + maintenant.tv_nsec);
        std::fflush(stdout);
    });
    // Typing starts once the text is shown: the zone takes no keys before.
    QObject::connect(&form.documents(), &Documents::termine, &touche, [&] {
        if (touche.isActive())
            return;
        zone->moveCursor(QTextCursor::End);
        touche.start(20);
    });
    return app.exec();
}
