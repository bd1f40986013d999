#include "classe.h"
#include "base/texts/fichiers_texte.h"
#include "base/texts/prise.h"
#include "base/texts/processus.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// plumor-outils as the teacher runs it, on files written here; then the mark
// core on DOS words a POSIX disk cannot hold.

using namespace Qt::StringLiterals;

namespace {

// Every exit status of plumor-outils, in order; -1 when it did not end.
QList<int> statuts;

// What it writes on its standard output, then on its standard error; run
// through `avant` (setpriv ...) when given.
QString lance(const QStringList &args, const QString &dossier = {}, const QByteArray &entree = {}, QStringList avant = {})
{
    QProcess p;
    p.setWorkingDirectory(dossier);
    avant << QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QStringLiteral(PLUMOR_OUTILS)) << args;
    p.start(avant.takeFirst(), avant);
    p.write(entree);
    p.closeWriteChannel();
    statuts << (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1);
    return QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError());
}

// A report with runs of spaces as one and dates as D.
QString vue(QString rapport)
{
    return rapport.replace(QRegularExpression(" +"), " ").replace(QRegularExpression("\\d+/\\d+/\\d+ [\\d:]+"), "D");
}

} // namespace

class TestPlumorOutils : public QObject
{
    Q_OBJECT

private slots:
    // Every surprise of a lexicon, one warning each at the line Plumor counts
    // (exit 1, as for a missing file); the shipped lexicon, beside the
    // program, has none (exit 0); the JSON form of a small one.
    void lexique()
    {
        Classe classe;
        QByteArrayList l = {"animaux;un chat", "ab", "", "fleurs", "animaux de la ferme;une vache",
                            ";;m\xE9t\xE9o;la pluie", "\xE9" "cole;un \xC9l\xE8ve", "couleurs;rouge\nbleu",
                            "jeux;\x81", "sports;le v\xC3\xA9lo", "f\xEAtes;No\xEBl", "f\xEAtes;P\xE2ques"};
        for (int i = 11; i <= 100; ++i)
            l << "theme " + QByteArray::number(i) + ";mot";
        const QString rapport = lance({"lexique", classe.ecrire("casse.stw", l.join("\r\n") + "\r\nperdu un;mot\rperdu deux;mot")});
        QCOMPARE(rapport.section(u"avertissement(s) :\n"_s, 1),
                 uR"(ligne 1 : choisir «animaux» affiche les mots de la ligne 5 («animaux de la ferme»), qui commence aussi par «animaux»
ligne 2 : ligne ignorée : «ab» n'a que 2 caractères, il en faut au moins 3 pour un thème
ligne 4 : aucun séparateur : «fleurs» est compté comme thème mais n'apparaît pas dans le sélecteur
ligne 6 : la ligne commence par un séparateur («;») : le sélecteur montre «météo», dont le choix affiche une liste vide
ligne 7 : «un Élève» est coupé par «É», que le lexique ne compte pas parmi les lettres
ligne 8 : 1 fin de ligne LF seule sans CR : Plumor n'y coupe pas la ligne et lit ces 2 lignes comme une seule
ligne 9 : octet 0x81 (colonne 6) : ce n'est pas du texte Windows-1252
ligne 10 : le fichier semble enregistré en UTF-8 et non en Windows-1252 («Ã©» est l'écriture UTF-8 de «é», 1 ligne touchée) ; )"
                 uR"(réenregistrez-le en Windows-1252 (« ANSI »)
ligne 11 : le nom «fêtes» figure deux fois dans le sélecteur (lignes 11 et 12) : les deux choix affichent les mots de la ligne 12
ligne 103 : plus de 100 thèmes : Plumor arrête sa lecture ici, affiche « Votre lexique est trop long! 100 thèmes maxi! » )"
                 uR"(et perd 2 thèmes
ligne 103 : thème «perdu un» perdu : au-delà des 100 premiers
ligne 104 : thème «perdu deux» perdu : au-delà des 100 premiers
)"_s);

        QVERIFY(lance({"lexique", "/nulle/part.stw"}).contains(QDir::toNativeSeparators(u"fichier : Fichier /nulle/part.stw pas disponible!"_s)));
        const QString livre = lance({"lexique"});
        QVERIFY(livre.contains(u"\n«les animaux» (ligne 1)\n    «les animaux» «un chat» «un chien»")
                && livre.endsWith(u"\nAucun avertissement.\n"));
        const QByteArray json = lance({"lexique", classe.ecrire("petit.stw", "animaux;un chat\r\nmots\r\nanimaux;un rat"),
                                       "--json"}).toUtf8();
        QCOMPARE(QJsonDocument::fromJson(json), QJsonDocument::fromJson(R"({"trop_long": false, "avertissements": [
                {"ligne": 1, "message": "le nom «animaux» figure deux fois dans le sélecteur (lignes 1 et 3) : )"
                R"(les deux choix affichent les mots de la ligne 3"},
                {"ligne": 2, "message": "aucun séparateur : «mots» est compté comme thème mais n\u0027apparaît pas dans le sélecteur"}],
            "lignes": [{"texte": "animaux;un chat", "entrees": ["animaux", "un chat"], "nom": "animaux"},
                       {"texte": "mots", "entrees": ["mots"], "nom": null},
                       {"texte": "animaux;un rat", "entrees": ["animaux", "un rat"], "nom": "animaux"}],
            "choix": [{"nom": "animaux", "mots": ["animaux", "un rat"]}, {"nom": "animaux", "mots": ["animaux", "un rat"]}]})"));
        QCOMPARE(std::exchange(statuts, {}), (QList<int>{1, 1, 0, 1}));
    }

    // The print tokens with their kind and visible signs, from standard
    // input; the page at one column a character: header, rule, words wrapped
    // at the right limit, then a second page.
    void impression()
    {
        QCOMPARE(lance({"decoupe"}, {}, "l'\xE9t\xE9.\r\n-Non\tdit grand-"),
                 u" 0  mot  ⟨l'⟩\n 1  sep  ⟨␣⟩\n 2  mot  ⟨été⟩\n 3  sep  ⟨.⏎-⟩\n 4  mot  ⟨Non⟩\n 5  sep  ⟨␣␣␣␣⟩\n"
                 u" 6  mot  ⟨dit⟩\n 7  sep  ⟨␣⟩\n 8  mot  ⟨grand⟩\n 9  mot  ⟨-⟩\n10  mot  ⟨⟩\n"_s);
        QCOMPARE(lance({"decoupe"}, {}, "a\x1B[2Jb\x7F c\x81"),
                 u"0  mot  ⟨a⟩\n1  sep  ⟨\\x1B[⟩\n2  mot  ⟨2Jb⟩\n3  sep  ⟨\\x7F␣⟩\n4  mot  ⟨c⟩\n5  sep  ⟨\\x81⟩\n"_s);
        Classe classe;
        QCOMPARE(lance({"page", classe.ecrire("conte.txt", "Un chat noir."), "--largeur", "12", "--lignes=8"}),
                 u"colonne  ligne  texte\n— page 1 —\n      5      1  ⟨conte.txt⟩\n      0      2  ⟨____________⟩\n"
                 u"      1      5  ⟨Un⟩\n      3      5  ⟨ ⟩\n      1      7  ⟨chat⟩\n      5      7  ⟨ ⟩\n— page 2 —\n"
                 u"      5      1  ⟨conte.txt⟩\n      0      2  ⟨____________⟩\n      1      5  ⟨noir⟩\n      5      5  ⟨.⟩\n"_s);
        QVERIFY(lance({"page", "--lignes"}).startsWith(u"plumor-outils : l'option --lignes attend une valeur\n"));
        QCOMPARE(std::exchange(statuts, {}), (QList<int>{0, 0, 0, 2}));
    }

    // Marked texts (read-only on a local disk) under a folder: listed, any
    // case of .txt, hidden ones left out, links shown but never followed,
    // drafts of interrupted saves shown; then released by name only.
    void marques()
    {
        SANS_WINDOWS("a name that is not UTF-8, a symbolic link: the Windows step lists and releases under Wine");
        Classe classe, ailleurs;
        for (const char *nom : {"CM1/conte.txt", "LETTRE.TXT", "CM1/.cache.txt", "notes.doc"})
            QFile::setPermissions(classe.ecrire(nom, "x\r\n"), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        // A name that is not UTF-8: QTemporaryDir cannot remove it, the test
        // does at the end.
        const QByteArray brut = QFile::encodeName(classe.dossier()) + "/CM1/x\xFF.txt";
        const auto enleverBrut = qScopeGuard([&] { ::unlink(brut.constData()); });
        ::close(::open(brut.constData(), O_CREAT | O_WRONLY, 0444));
        classe.ecrire("libre.txt", "x");
        classe.ecrire("CM1/.plumor-Ab12Cd", "brouillon");
        const QString prive = ailleurs.ecrire("prive.txt", "x");
        QFile::setPermissions(prive, QFile::ReadOwner);
        QFile::link(prive, classe.chemin("lien.txt"));
        const QString dossier = QDir(classe.dossier()).canonicalPath(), conte = classe.chemin("CM1/conte.txt");
        QCOMPARE(vue(lance({"marques"}, dossier)),
                 QStringLiteral(" CM1/conte.txt 3 octets D %3\n CM1/x\\xFF.txt 0 octets D %3\n LETTRE.TXT 3 octets D %3\n"
                                "3 textes marqués sous %1.\n\nLiens nommés comme des textes (jamais suivis, jamais libérés) :\n"
                                " lien.txt (lien) %2 octets D\n\nBrouillons laissés par un enregistrement interrompu (le texte le "
                                "plus récent y est peut-être ; rien n'est effacé) :\n CM1/.plumor-Ab12Cd 9 octets D\n")
                     .arg(dossier).arg(prive.size()).arg(u"marque sans copie vivante"_s));

        // Anything but a plain text under the folder is refused before anything changes.
        for (const QString &refuse : {u"CM1"_s, u"notes.doc"_s, u"absent.txt"_s, u"lien.txt"_s, conte,
                                      u"../"_s + QFileInfo(ailleurs.dossier()).fileName() + u"/prive.txt"_s})
            lance({"marques", "--liberer", "CM1/conte.txt", refuse}, dossier);
        QVERIFY(!(QFile::permissions(conte) & QFile::WriteOwner) && ailleurs.mode("prive.txt") == 0400);
        const QString r = lance({"marques", dossier, "--liberer", "CM1/conte.txt", "libre.txt", "CM1/x\\xFF.txt"});
        // Standard output, then the warning on standard error.
        QCOMPARE(r.left(r.indexOf(u"Attention : ")),
                 u"CM1/conte.txt : libéré\nlibre.txt : déjà libre\nCM1/x\\xFF.txt : libéré\n"_s);
        QVERIFY(QFile::permissions(conte) & QFile::WriteOwner);
        QCOMPARE(std::exchange(statuts, {}), (QList<int>{1, 2, 2, 2, 2, 2, 2, 0}));

    }

    // Who holds a marked text: a running copy (its lock seen) is never
    // released unless forced; a release gives the text back the write bits
    // its claim says it had, else the owner's and, where the folder allows
    // it, the group's; a claim left on a free text is listed and removed.
    void tenues_data()
    {
        QTest::addColumn<QString>("liste");   // P: "pris par" whom and when
        QTest::addColumn<QString>("liberee"); // the release's line, then --forcer's
        QTest::addColumn<int>("mode");        // after the release
        QTest::newRow("en marche") << u" CM1/a.txt 5 octets D ouvert par une copie en marche, P\n"_s
            << u"CM1/a.txt : non libéré (ouvert par une copie en marche : fermez-le sur ce poste, ou --forcer)\n"
               u"CM1/a.txt : libéré\n"_s << 0640;
        QTest::newRow("marque sans copie vivante") << u" CM1/a.txt 5 octets D marque sans copie vivante, P\n"_s
            << u"CM1/a.txt : libéré\n"_s << 0640;
        QTest::newRow("prise sans marque") << u"Aucun texte marqué sous DIR.\n\nPrises restées sur des textes libres ou "
                                              u"disparus (les copies refusent ces textes ; --liberer les retire) :\n"
                                              u" CM1/a.txt 5 octets D P\n"_s
            << u"CM1/a.txt : déjà libre (sa prise est retirée)\n"_s << 0640;
        QTest::newRow("sans prise, masque 000, dossier 2777") << u" CM1/a.txt 5 octets D marque sans copie vivante\n"_s
            << u"CM1/a.txt : libéré\n"_s << 0664;
        // A claim is the pupils' writing: its mode never widens what the folder gives.
        QTest::newRow("mode forgé 6777") << u" CM1/a.txt 5 octets D marque sans copie vivante, P\n"_s
            << u"CM1/a.txt : libéré\n"_s << 0640;
        // Whether another machine's copy runs cannot be known here: refused unless forced.
        QTest::newRow("autre poste") << u" CM1/a.txt 5 octets D pris sur posteX depuis D (cette machine ne peut pas savoir "
                                        u"si la copie tourne encore), compte U\n"_s
            << u"CM1/a.txt : non libéré (pris sur posteX : cette machine ne peut pas savoir si la copie tourne encore ; "
               u"vérifiez ce poste, ou --forcer)\nCM1/a.txt : libéré\n"_s << 0640;
    }
    void tenues()
    {
        QFETCH(QString, liste);
        QFETCH(QString, liberee);
        QFETCH(int, mode);
        SANS_WINDOWS("write bits, umask and group: the Windows step releases a Windows and a Linux copy's marks");
        const QString cas = QString::fromUtf8(QTest::currentDataTag());
        Classe classe;
        const QString dossier = QDir(classe.dossier()).canonicalPath(), a = classe.ecrire(u"CM1/a.txt"_s, "abc\r\n");
        const auto mode_ = [&](const QString &c, int m) { QCOMPARE(::chmod(QFile::encodeName(c).constData(), mode_t(m)), 0); };
        mode_(a, 0640);
        AttributsSysteme attributs;
        auto copie = std::make_unique<FichiersTexte>(attributs, std::make_shared<const DossierClasse>(dossier));
        const bool sansPrise = cas.startsWith(u"sans prise");
        // As root with umask 000, in a folder everyone may write: the tool alone, without a claim.
        const QStringList avant = sansPrise ? QStringList{u"sh"_s, u"-c"_s, u"umask 000; exec \"$0\" \"$@\""_s} : QStringList();
        if (sansPrise)
            mode_(a, 0444), mode_(classe.chemin(u"CM1"_s), 02777);
        else
            QCOMPARE(copie->prendre(a).issue, FichiersTexte::Lecture::Issue::Lu);
        if (cas == u"prise sans marque")
            mode_(a, 0640);
        if (cas != u"en marche" && !sansPrise) {
            // Gone without a word, as a machine switched off: its claim names a process that no longer runs.
            copie.reset();
            const Descripteur cm1 = DossierClasse(classe.chemin(u"CM1"_s)).ouvrirDossier(classe.chemin(u"CM1"_s));
            prise::Detenteur d = prise::lire(cm1.fd(), "a.txt").detenteur.value();
            d.copie.debut += 1;
            if (cas == u"mode forgé 6777")
                d.modeAvant = 06777;
            if (cas == u"autre poste")
                d.copie.machine = u"autre"_s, d.hote = u"posteX"_s;
            QCOMPARE(prise::remplacer(cm1.fd(), d, d.jeton), 0);
        }
        const QString p = u"pris par %1 sur %2 le D"_s.arg(processus::utilisateur(), processus::hote());
        if (!liste.startsWith(u"Aucun"))
            liste += u"1 texte marqué sous DIR.\n"_s;
        QCOMPARE(vue(lance({"marques"}, dossier)),
                 liste.replace(u"P\n"_s, p + u'\n').replace(u"DIR"_s, dossier).replace(u"compte U"_s, u"compte "_s + processus::utilisateur()));
        QString r = lance(QStringList{"marques", "--liberer", "CM1/a.txt"}, dossier, {}, avant);
        if (cas == u"en marche" || cas == u"autre poste") {
            QVERIFY(classe.marqueSurDisque(u"CM1/a.txt"_s));
            r += lance({"marques", "--liberer", "CM1/a.txt", "--forcer"}, dossier);
        }
        QCOMPARE(r.remove(QRegularExpression(u"Attention :[^\n]*\n"_s)), liberee);
        QCOMPARE(std::exchange(statuts, {}), (QList<int>{1} << (cas == u"en marche" || cas == u"autre poste" ? QList<int>{1, 0} : QList<int>{0})));
        QCOMPARE(classe.mode(u"CM1/a.txt"_s), mode);
        QCOMPARE(QDir(classe.chemin(u"CM1"_s)).entryList(QDir::Files | QDir::Hidden), QStringList{u"a.txt"_s});
    }

    // A hostile class folder: every name reaches the terminal escaped, what
    // cannot be read is reported (exit 1), nothing is followed or released
    // outside the folder, and a file outside keeps its mode and bytes.
    void hostile_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("attendu"); // DIR is the class folder, D a date, SC a mark without a running copy
        QTest::addColumn<int>("statut");
        const QString ctl = u"a\\x1B[1A\\x1B[2K.txt"_s, c1 = u"b\\xC2\\x9B2K\\x7F📝.txt"_s, bs = u"c\\\\x41\\e.txt"_s;
        QTest::newRow("controles") << QStringList{"marques"}
            << u" %1 0 octets D SC\n %2 0 octets D SC\n %3 0 octets D SC\n3 textes marqués sous DIR.\n"_s.arg(ctl, c1, bs) << 1;
        QTest::newRow("controles json") << QStringList{"marques", "--json"} << u"\"chemin\": \"a\\\\x1B[1A\\\\x1B[2K.txt\""_s << 1;
        QTest::newRow("controles liberer") << QStringList{"marques", "--liberer", ctl, c1, bs}
            << u"%1 : libéré\n%2 : libéré\n%3 : libéré\n"_s.arg(ctl, c1, bs) << 0;
        QTest::newRow("illisible") << QStringList{"marques"}
            << u" secret.txt 1 octets D SC\n1 texte marqué sous DIR.\n\nNon lus (la liste est incomplète) :\n CM1 (accès refusé)\n"_s << 1;
        QTest::newRow("illisible json") << QStringList{"marques", "--json"}
            << u"\"non_lus\": [ { \"chemin\": \"CM1\", \"raison\": \"accès refusé\" } ]"_s << 1;
        const QString longue = QStringList(20, QString(240, u'n')).join(u'/'), profonde = QStringList(200, u"d"_s).join(u'/');
        QTest::newRow("profond") << QStringList{"marques"}
            << u" %1/t.txt 0 octets D SC\n1 texte marqué sous DIR.\n\nNon lus (la liste est incomplète) :\n %2/d (trop profond)\n"_s
                   .arg(longue, profonde) << 1;
        QTest::newRow("lien physique") << QStringList{"marques"}
            << u"Aucun texte marqué sous DIR.\n\nTextes à plusieurs noms (liens physiques, jamais libérés) :\n CM1/copie.txt 1 octets D\n"_s << 1;
        QTest::newRow("lien physique liberer") << QStringList{"marques", "--liberer", "CM1/copie.txt"}
            << u"plumor-outils : CM1/copie.txt : ce texte a plusieurs noms (lien physique) : il n'est jamais libéré"_s << 2;
        QTest::newRow("dossier lien") << QStringList{"marques"} << u"Aucun texte marqué sous DIR.\n"_s << 0;
        // At a claim's name but no claim: listed for what it is, refusing nothing; the release sets it aside.
        QTest::newRow("etranger") << QStringList{"marques", "--json"} << u"\"etranger\": \"un fichier spécial (tube, périphérique…)\""_s << 1;
        QTest::newRow("etranger liberer") << QStringList{"marques", "--liberer", "b.txt"} << u"b.txt : déjà libre\n"_s << 0;
        // A claim naming a file outside the class: never looked at.
        QTest::newRow("forgee") << QStringList{"marques", "--json"}
            << u"\"etranger\": \"une prise forgée, qui nomme « ../PRIVE »\""_s << 1;
        QTest::newRow("dossier lien liberer") << QStringList{"marques", "--liberer", "CE2/prive.txt"}
            << u"plumor-outils : CE2/prive.txt : le chemin passe par un lien : refusé"_s << 2;
    }
    void hostile()
    {
        SANS_WINDOWS("fifos, owners, hard links and descriptors past PATH_MAX are POSIX's");
#ifndef _WIN32
        QFETCH(QStringList, args);
        QFETCH(QString, attendu);
        QFETCH(int, statut);
        const QString cas = QString::fromLatin1(QTest::currentDataTag()).section(u' ', 0, 0);
        Classe classe, ailleurs;
        const QString prive = ailleurs.ecrire("prive.txt", "x"), dossier = QDir(classe.dossier()).canonicalPath();
        QFile::setPermissions(prive, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        const QByteArray racine = QFile::encodeName(dossier);
        // Past PATH_MAX and through folders nobody may read: rm walks by descriptors.
        const auto enlever = qScopeGuard([&] {
            QProcess::execute(u"chmod"_s, {u"-R"_s, u"u+rwx"_s, dossier});
            QProcess::execute(u"rm"_s, {u"-rf"_s, dossier});
        });
        const auto marque = [](const QByteArray &chemin) { ::close(::open(chemin.constData(), O_CREAT | O_WRONLY, 0444)); };
        QStringList avant;
        if (cas == u"controles") {
            marque(racine + "/a\x1B[1A\x1B[2K.txt");
            marque(racine + "/b\xC2\x9B" "2K\x7F\xF0\x9F\x93\x9D.txt");
            marque(racine + "/c\\x41\\e.txt");
        } else if (cas == u"illisible") {
            // Root reads any folder: the tool runs as nobody, who owns the class
            // but may not read root's marked text (its word comes from its mode).
            classe.ecrire("CM1/t.txt", "x");
            QFile::setPermissions(classe.ecrire("secret.txt", "x"), QFile::ReadOwner);
            for (const char *c : {"", "/CM1", "/CM1/t.txt"})
                QVERIFY(::chown(QByteArray(racine + c).constData(), 65534, 65534) == 0);
            QVERIFY(QFile::setPermissions(classe.chemin("CM1/t.txt"), QFile::ReadOwner)
                    && ::chmod(QByteArray(racine + "/CM1").constData(), 0300) == 0);
            if (::getuid() == 0 && QStandardPaths::findExecutable(u"setpriv"_s).isEmpty())
                QSKIP("root reads every folder and setpriv is missing to run the tool as nobody");
            if (::getuid() == 0)
                avant = QStringList{"bash", QStringLiteral(SANS_DROITS)};
        } else if (cas == u"profond") {
            // Built from descriptors: paths beyond PATH_MAX cannot be named whole.
            for (const auto &[nom, n] : {std::pair{QByteArray(240, 'n'), 20}, std::pair{QByteArray("d"), 201}}) {
                int fd = ::open(racine.constData(), O_RDONLY | O_DIRECTORY);
                for (int i = 0; i < n; ++i)
                    ::close(std::exchange(fd, (::mkdirat(fd, nom.constData(), 0755), ::openat(fd, nom.constData(), O_RDONLY | O_DIRECTORY))));
                ::close(::openat(fd, "t.txt", O_CREAT | O_WRONLY, 0444));
                ::close(fd);
            }
        } else if (cas == u"lien") {
            QVERIFY(QDir().mkpath(classe.chemin("CM1")) && ::link(QFile::encodeName(prive).constData(), QByteArray(racine + "/CM1/copie.txt").constData()) == 0);
        } else if (cas == u"dossier") {
            QVERIFY(QFile::link(ailleurs.dossier(), classe.chemin("CE2")));
        } else if (cas == u"etranger") {
            classe.ecrire("b.txt", "x");
            QVERIFY(::mkfifo(QByteArray(racine + '/' + prise::nom("b.txt", false)).constData(), 0644) == 0);
        } else if (cas == u"forgee") {
            prise::Detenteur d = prise::pourCetteCopie("../" + QFile::encodeName(QFileInfo(ailleurs.dossier()).fileName()) + "/prive.txt", 06777);
            QFile f(classe.chemin(QString::fromLatin1(prise::nom(d.texte, false))));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(prise::encoder(d)) > 0);
            attendu.replace(u"PRIVE"_s, QFileInfo(ailleurs.dossier()).fileName() + u"/prive.txt"_s);
        }
        const QString sortie = lance(args, dossier, {}, avant);
        QCOMPARE(std::exchange(statuts, {}), QList<int>{statut});
        attendu.replace(u"DIR"_s, dossier).replace(u" SC\n"_s, u" marque sans copie vivante\n"_s);
        if (args.contains(u"--json"_s)) {
            QVERIFY(!QJsonDocument::fromJson(sortie.toUtf8()).isNull());
            QVERIFY2(sortie.simplified().contains(attendu.simplified()), qPrintable(sortie));
        } else {
            // A listing whole; a release or a refusal, before its warning or usage line.
            QCOMPARE(args.size() == 1 ? vue(sortie) : vue(sortie).left(attendu.size()), attendu);
        }
        QVERIFY(!sortie.toUtf8().contains('\x1B') && !sortie.toUtf8().contains("\xC2\x9B"));
        const QStringList noms = QDir(dossier).entryList(QDir::Files);
        if (cas == u"etranger")
            QCOMPARE(QDir(dossier).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot).size(), statut == 0 ? 1 : 2);
        if (cas == u"controles") // released on disk by --liberer only
            QCOMPARE(int(std::count_if(noms.cbegin(), noms.cend(), [&](const QString &n) { return classe.marqueSurDisque(n); })),
                     statut == 0 ? 0 : 3);
        QCOMPARE(ailleurs.mode("prive.txt"), 0444);
        QCOMPARE(ailleurs.octets("prive.txt"), "x");
#endif
    }
};

QTEST_GUILESS_MAIN(TestPlumorOutils)
#include "test_plumor_outils.moc"
