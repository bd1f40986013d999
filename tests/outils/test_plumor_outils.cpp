#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// plumor-outils as the teacher runs it: the built program on files made here.

namespace {

struct Resultat {
    int code = -1;
    QString sortie;
    QString erreurs;
    QJsonDocument json() const { return QJsonDocument::fromJson(sortie.toUtf8()); }
};

Resultat lance(const QStringList &args, const QByteArray &entree = {}, const QString &dossier = {})
{
    QProcess p;
    if (!dossier.isEmpty())
        p.setWorkingDirectory(dossier);
    p.start(QStringLiteral(PLUMOR_OUTILS), args);
    if (!p.waitForStarted())
        return {};
    p.write(entree);
    p.closeWriteChannel();
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return {};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

QString ecrire(const QDir &dossier, const QString &nom, const QByteArray &octets)
{
    const QString chemin = dossier.filePath(nom);
    QFile f(chemin);
    if (!f.open(QIODevice::WriteOnly) || f.write(octets) != octets.size())
        qFatal("cannot write %s", qPrintable(chemin));
    return chemin;
}

// A lexicon with every surprise in it, in Windows-1252 with CR LF ends.
QByteArray octets_lexique_casse()
{
    QList<QByteArray> lignes = {
        "animaux;un chat;un chien",            // 1: a later line begins with "animaux"
        "ab",                                  // 2: too short
        "",                                    // 3: blank, silent
        "fleurs",                              // 4: no separator
        "animaux de la ferme;une vache;un \xE2ne",
        ";;m\xE9t\xE9o;la pluie",              // 6: separators first, nothing begins with its name
        "l'\xE9" "cole;un \xC9l\xE8ve;une \x9Cuvre;l\x92heure", // 7: É, œ, ’
        "couleurs;rouge\nbleu;vert",           // 8: a lone LF
        "jeux;un ballon;\x81;la marelle",      // 9: an undefined byte
        "sports;le v\xC3\xA9lo",               // 10: UTF-8
        "f\xEAtes;No\xEBl",                    // 11: the same name as line 12
        "f\xEAtes;P\xE2ques",
    };
    for (int i = 1; i <= 90; ++i) // lines 13 to 102: themes 11 to 100
        lignes << "theme " + QByteArray::number(i).rightJustified(3, '0') + ";mot"; // no name begins another
    lignes << "perdu un;mot" << "perdu deux;mot"; // lines 103 and 104
    return lignes.join("\r\n") + "\r\n";
}

} // namespace

class TestPlumorOutils : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void utilisation_data();
    void utilisation();
    void lexique_livre();
    void lexique_casse_data();
    void lexique_casse();
    void lexique_fichier_data();
    void lexique_fichier();
    void lexique_json();
    void decoupe_data();
    void decoupe();
    void page_data();
    void page();
    void marques();

private:
    QTemporaryDir m_dir;
    QString m_casse;
    Resultat m_rapportCasse;
};

void TestPlumorOutils::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_casse = ecrire(m_dir.path(), QStringLiteral("casse.stw"), octets_lexique_casse());
    m_rapportCasse = lance({QStringLiteral("lexique"), m_casse});
}

void TestPlumorOutils::utilisation_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("extrait");

    QTest::newRow("rien") << QStringList{} << 2 << "commande manquante";
    QTest::newRow("inconnue") << QStringList{"dessine"} << 2 << "commande inconnue : dessine";
    QTest::newRow("aide") << QStringList{"--help"} << 0 << "marques [DOSSIER]";
    QTest::newRow("aide lexique") << QStringList{"lexique", "--help"} << 0
                                  << "Utilisation : plumor-outils lexique [FICHIER] [--json]";
    QTest::newRow("aide marques") << QStringList{"marques", "-h"} << 0 << "ouvert deux fois";
    QTest::newRow("aide decoupe") << QStringList{"decoupe", "--help"} << 0 << "(mot ou sep)";
    QTest::newRow("aide page") << QStringList{"page", "--help"} << 0 << "--largeur N";
    QTest::newRow("deux lexiques") << QStringList{"lexique", "a", "b"} << 2 << "un seul lexique";
    QTest::newRow("option inconnue") << QStringList{"lexique", "--bavard"} << 2 << "option inconnue : --bavard";
    QTest::newRow("largeur nulle") << QStringList{"page", "--largeur", "0"} << 2 << "--largeur attend";
    QTest::newRow("largeur sans valeur") << QStringList{"page", "--largeur"} << 2 << "attend une valeur";
    QTest::newRow("liberer sans fichier") << QStringList{"marques", "--liberer"} << 2 << "au moins un fichier";
    QTest::newRow("texte absent") << QStringList{"decoupe", "/nulle/part.txt"} << 1 << "pas disponible";
    QTest::newRow("lexique absent") << QStringList{"lexique", "/nulle/part.stw"} << 1
                                    << "fichier : Fichier /nulle/part.stw pas disponible!";
    QTest::newRow("dossier absent") << QStringList{"marques", "/nulle/part"} << 1 << "Dossier introuvable";
}

void TestPlumorOutils::utilisation()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, extrait);
    const Resultat r = lance(args);
    QCOMPARE(r.code, code);
    QVERIFY2((r.sortie + r.erreurs).contains(extrait), qPrintable(r.sortie + r.erreurs));
}

void TestPlumorOutils::lexique_livre()
{
    // With no argument, the lexicon beside the program: the shipped one.
    const Resultat defaut = lance({QStringLiteral("lexique")});
    QCOMPARE(defaut.code, 0);
    QVERIFY(defaut.sortie.endsWith(u"\nAucun avertissement.\n"));
    QVERIFY(defaut.sortie.contains(u"\n«les animaux» (ligne 1)\n    «les animaux» «un chat» «un chien»"));

    const Resultat r = lance({QStringLiteral("lexique"), QStringLiteral(LEXIQUE_LIVRE), QStringLiteral("--json")});
    QCOMPARE(r.code, 0);
    const QJsonObject o = r.json().object();
    QVERIFY(o.value("avertissements").toArray().isEmpty());
    QCOMPARE(o.value("trop_long"), QJsonValue(false));
    QVERIFY(o.value("choix").toArray().size() >= 20);
    QCOMPARE(o.value("choix").toArray().size(), o.value("lignes").toArray().size());
}

void TestPlumorOutils::lexique_casse_data()
{
    QTest::addColumn<QString>("ligne");

    QTest::newRow("nom repris") << "ligne 1 : choisir «animaux» affiche les mots de la ligne 5 "
                                   "(«animaux de la ferme»), qui commence aussi par «animaux»";
    QTest::newRow("trop courte") << "ligne 2 : ligne ignorée : «ab» n'a que 2 caractères";
    QTest::newRow("sans séparateur") << "ligne 4 : aucun séparateur : «fleurs» est compté comme thème "
                                        "mais n'apparaît pas dans le sélecteur";
    QTest::newRow("séparateurs en tête") << "ligne 6 : la ligne commence par un séparateur («;») : "
                                            "le sélecteur montre «météo», dont le choix affiche une liste vide";
    QTest::newRow("É") << "ligne 7 : «un Élève» est coupé par «É»";
    QTest::newRow("œ") << "ligne 7 : «une œuvre» est coupé par «œ»";
    QTest::newRow("’") << "ligne 7 : «l’heure» est coupé par «’»";
    QTest::newRow("LF seul") << "ligne 8 : 1 fin de ligne LF seule sans CR : Plumor n'y coupe pas la ligne "
                                "et lit ces 2 lignes comme une seule";
    QTest::newRow("octet indéfini") << "ligne 9 : octet 0x81 (colonne 16) : ce n'est pas du texte Windows-1252";
    QTest::newRow("UTF-8") << "ligne 10 : le fichier semble enregistré en UTF-8 et non en Windows-1252 "
                              "(«Ã©» est l'écriture UTF-8 de «é», 1 ligne touchée)";
    QTest::newRow("même nom") << "ligne 11 : le nom «fêtes» figure deux fois dans le sélecteur (lignes 11 et 12) : "
                                 "les deux choix affichent les mots de la ligne 12";
    QTest::newRow("plus de 100") << "ligne 103 : plus de 100 thèmes : Plumor arrête sa lecture ici, "
                                    "affiche « Votre lexique est trop long! 100 thèmes maxi! » et perd 2 thèmes";
    QTest::newRow("perdu 1") << "ligne 103 : thème «perdu un» perdu : au-delà des 100 premiers";
    QTest::newRow("perdu 2") << "ligne 104 : thème «perdu deux» perdu : au-delà des 100 premiers";
}

void TestPlumorOutils::lexique_casse()
{
    QFETCH(QString, ligne);
    QCOMPARE(m_rapportCasse.code, 1);
    const QStringList lignes = m_rapportCasse.sortie.split(u'\n');
    QVERIFY2(lignes.contains(ligne) || std::any_of(lignes.begin(), lignes.end(),
                                                   [&](const QString &l) { return l.startsWith(ligne); }),
             qPrintable(m_rapportCasse.sortie.section(u'\n', -20)));
    // Every warning is one of those above: none is missing from the table,
    // and none is raised twice.
    QVERIFY(m_rapportCasse.sortie.contains(u"\n14 avertissement(s) :\n"));
}

void TestPlumorOutils::lexique_fichier_data()
{
    QTest::addColumn<QByteArray>("octets");
    QTest::addColumn<QJsonValue>("ligne");
    QTest::addColumn<QString>("message");

    QTest::newRow("fins LF") << QByteArray("animaux;chat\nfleurs;rose\n") << QJsonValue(1)
                             << "le fichier n'a que des fins de ligne LF (Unix) : Plumor le lit comme une seule ligne";
    QTest::newRow("UTF-16") << QByteArray("\xFF\xFEl\0\xE9\0;\0x\0\r\0\n\0", 14) << QJsonValue(1)
                            << "le fichier est enregistré en UTF-16 (« Unicode ») et non en Windows-1252";
    QTest::newRow("vide") << QByteArray() << QJsonValue(QJsonValue::Null)
                          << "aucun thème : le sélecteur de Plumor restera vide";
}

// Faults of the whole file give one warning, not one per line.
void TestPlumorOutils::lexique_fichier()
{
    QFETCH(QByteArray, octets);
    QFETCH(QJsonValue, ligne);
    QFETCH(QString, message);
    const QString chemin = ecrire(m_dir.path(), QStringLiteral("fichier.stw"), octets);
    const Resultat r = lance({QStringLiteral("lexique"), chemin, QStringLiteral("--json")});
    QCOMPARE(r.code, 1);
    const QJsonArray av = r.json().object().value("avertissements").toArray();
    QCOMPARE(av.size(), 1);
    QCOMPARE(av[0].toObject().value("ligne"), ligne);
    QVERIFY(av[0].toObject().value("message").toString().startsWith(message));
}

void TestPlumorOutils::lexique_json()
{
    const QString chemin = ecrire(m_dir.path(), QStringLiteral("petit.stw"),
                                  "animaux;un chat\r\nmots\r\n;;x; y\r\nanimaux;un rat\r\n");
    const Resultat r = lance({QStringLiteral("lexique"), chemin, QStringLiteral("--json")});
    QCOMPARE(r.code, 1);
    QJsonObject o = r.json().object();
    const QJsonArray av = o.take("avertissements").toArray();
    QCOMPARE(av.size(), 3);
    QCOMPARE(av[1].toObject().value("ligne"), QJsonValue(2));
    const QJsonObject attendu = QJsonDocument::fromJson(R"({
        "lignes": [
            {"texte": "animaux;un chat", "entrees": ["animaux", "un chat"], "nom": "animaux"},
            {"texte": "mots", "entrees": ["mots"], "nom": null},
            {"texte": ";;x; y", "entrees": ["x", " y"], "nom": "x"},
            {"texte": "animaux;un rat", "entrees": ["animaux", "un rat"], "nom": "animaux"}],
        "choix": [
            {"nom": "animaux", "mots": ["animaux", "un rat"]},
            {"nom": "x", "mots": []},
            {"nom": "animaux", "mots": ["animaux", "un rat"]}],
        "trop_long": false})").object();
    QCOMPARE(o, attendu);
}

void TestPlumorOutils::decoupe_data()
{
    QTest::addColumn<QByteArray>("texte");
    QTest::addColumn<QStringList>("jetons");
    QTest::addColumn<QString>("rapport");

    QTest::newRow("élision") << QByteArray("l'homme") << QStringList{"l'", " ", "homme"}
                             << "0  mot  ⟨l'⟩\n1  sep  ⟨␣⟩\n2  mot  ⟨homme⟩\n";
    QTest::newRow("dialogue et tabulation") << QByteArray("fin.\r\n-Non\tdit")
        << QStringList{"fin", ".\n-", "Non", "    ", "dit"}
        << "0  mot  ⟨fin⟩\n1  sep  ⟨.⏎-⟩\n2  mot  ⟨Non⟩\n3  sep  ⟨␣␣␣␣⟩\n4  mot  ⟨dit⟩\n";
    QTest::newRow("tiret final, mot vide") << QByteArray("grand-") << QStringList{"grand", "-", ""}
                                           << "0  mot  ⟨grand⟩\n1  mot  ⟨-⟩\n2  mot  ⟨⟩\n";
    QTest::newRow("Windows-1252") << QByteArray("\xE9t\xE9 l\x92\xE2ne") << QStringList{"été", " ", "l", "’", "âne"}
                                  << "0  mot  ⟨été⟩\n1  sep  ⟨␣⟩\n2  mot  ⟨l⟩\n3  sep  ⟨’⟩\n4  mot  ⟨âne⟩\n";
}

void TestPlumorOutils::decoupe()
{
    QFETCH(QByteArray, texte);
    QFETCH(QStringList, jetons);
    QFETCH(QString, rapport);

    const QString chemin = ecrire(m_dir.path(), QStringLiteral("jetons.txt"), texte);
    const Resultat json = lance({QStringLiteral("decoupe"), chemin, QStringLiteral("--json")});
    QCOMPARE(json.code, 0);
    QCOMPARE(json.json().array(), QJsonArray::fromStringList(jetons));
    // Without a file name, standard input.
    const Resultat r = lance({QStringLiteral("decoupe")}, texte);
    QCOMPARE(r.code, 0);
    QCOMPARE(r.sortie, rapport);
}

void TestPlumorOutils::page_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("attendu");

    QTest::newRow("80 colonnes") << QStringList{} << QByteArray(R"([
        {"page": 1, "colonne": 5, "ligne": 1, "texte": "conte.txt"},
        {"page": 1, "colonne": 0, "ligne": 2, "texte": ")" + QByteArray(80, '_') + R"("},
        {"page": 1, "colonne": 1, "ligne": 5, "texte": "Un"}, {"page": 1, "colonne": 3, "ligne": 5, "texte": " "},
        {"page": 1, "colonne": 4, "ligne": 5, "texte": "chat"}, {"page": 1, "colonne": 8, "ligne": 5, "texte": " "},
        {"page": 1, "colonne": 9, "ligne": 5, "texte": "noir"}, {"page": 1, "colonne": 13, "ligne": 5, "texte": "."}])");
    // The right limit is 12 - 5: a word reaching column 7 goes to the next text line.
    QTest::newRow("12 colonnes, 8 lignes") << QStringList{"--largeur", "12", "--lignes=8"} << QByteArray(R"([
        {"page": 1, "colonne": 5, "ligne": 1, "texte": "conte.txt"},
        {"page": 1, "colonne": 0, "ligne": 2, "texte": "____________"},
        {"page": 1, "colonne": 1, "ligne": 5, "texte": "Un"}, {"page": 1, "colonne": 3, "ligne": 5, "texte": " "},
        {"page": 1, "colonne": 1, "ligne": 7, "texte": "chat"}, {"page": 1, "colonne": 5, "ligne": 7, "texte": " "},
        {"page": 2, "colonne": 5, "ligne": 1, "texte": "conte.txt"},
        {"page": 2, "colonne": 0, "ligne": 2, "texte": "____________"},
        {"page": 2, "colonne": 1, "ligne": 5, "texte": "noir"}, {"page": 2, "colonne": 5, "ligne": 5, "texte": "."}])");
}

void TestPlumorOutils::page()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, attendu);

    const QString chemin = ecrire(m_dir.path(), QStringLiteral("conte.txt"), "Un chat noir.");
    const Resultat json = lance(QStringList{"page", chemin, "--json"} + options);
    QCOMPARE(json.code, 0);
    QCOMPARE(json.json(), QJsonDocument::fromJson(attendu));

    const Resultat r = lance(QStringList{"page", chemin} + options);
    QCOMPARE(r.code, 0);
    QVERIFY(r.sortie.startsWith(u"colonne  ligne  texte\n"));
    QVERIFY(r.sortie.contains(u"\n      5      1  ⟨conte.txt⟩\n"));
    QVERIFY(r.sortie.contains(u"\n      1      5  ⟨Un⟩\n"));
}

void TestPlumorOutils::marques()
{
    QTemporaryDir classe;
    QDir d(classe.path());
    QVERIFY(d.mkdir(QStringLiteral("CM1")));
    const QFileDevice::Permissions marque = QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
    const QFileDevice::Permissions libre = marque | QFileDevice::WriteOwner;
    const QString conte = ecrire(d, QStringLiteral("CM1/conte.txt"), "Il \xE9tait une fois\r\n");
    const QString lettre = ecrire(d, QStringLiteral("lettre.txt"), "Cher ami\r\n");
    QFile::setPermissions(ecrire(d, QStringLiteral("CM1/libre.txt"), "x"), libre);
    QFile::setPermissions(ecrire(d, QStringLiteral("notes.doc"), "x"), marque);
    QFile::setPermissions(conte, marque);
    QFile::setPermissions(lettre, marque);

    // A relative folder, listed with paths relative to it.
    Resultat r = lance({QStringLiteral("marques"), QFileInfo(d.path()).fileName()}, {},
                       QFileInfo(d.path()).path());
    QCOMPARE(r.code, 1);
    const QStringList lignes = r.sortie.split(u'\n');
    QCOMPARE(lignes.size(), 4);
    QVERIFY(lignes[0].startsWith(u"  CM1/conte.txt  19 octets  "));
    QVERIFY(lignes[1].startsWith(u"  lettre.txt     10 octets  "));
    QCOMPARE(lignes[2], QStringLiteral("2 textes marqués sous %1.").arg(d.path()));

    r = lance({QStringLiteral("marques"), QStringLiteral("--json")}, {}, d.path());
    const QJsonArray liste = r.json().object().value("marques").toArray();
    QCOMPARE(r.json().object().value("total"), QJsonValue(2));
    QCOMPARE(liste[0].toObject().value("chemin"), QJsonValue("CM1/conte.txt"));
    QCOMPARE(liste[0].toObject().value("taille"), QJsonValue(19));

    // A folder is refused before anything changes.
    r = lance({QStringLiteral("marques"), d.path(), QStringLiteral("--liberer"), QStringLiteral("CM1/conte.txt"),
               QStringLiteral("CM1")});
    QCOMPARE(r.code, 2);
    QCOMPARE(QFileInfo(conte).permissions() & QFileDevice::WriteOwner, QFileDevice::Permissions{});

    r = lance({QStringLiteral("marques"), d.path(), QStringLiteral("--liberer"), QStringLiteral("CM1/conte.txt"),
               QStringLiteral("CM1/libre.txt")});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.sortie, QStringLiteral("CM1/conte.txt : libéré\nCM1/libre.txt : déjà libre\n"));
    QVERIFY(r.erreurs.startsWith(u"Attention : si une copie de Plumor a encore ce texte ouvert"));
    QVERIFY(QFileInfo(conte).permissions() & QFileDevice::WriteOwner);
    QCOMPARE(QFileInfo(lettre).permissions() & QFileDevice::WriteOwner, QFileDevice::Permissions{});

    r = lance({QStringLiteral("marques"), QStringLiteral("--liberer"), QStringLiteral("absent.txt")}, {}, d.path());
    QCOMPARE(r.code, 1);
    QCOMPARE(r.sortie, QStringLiteral("absent.txt : introuvable\n"));

    r = lance({QStringLiteral("marques"), QStringLiteral("--liberer"), QStringLiteral("lettre.txt")}, {}, d.path());
    QCOMPARE(r.code, 0);
    r = lance({QStringLiteral("marques")}, {}, d.path());
    QCOMPARE(r.code, 0);
    QCOMPARE(r.sortie, QStringLiteral("Aucun texte marqué sous %1.\n").arg(QDir(d.path()).canonicalPath()));
}

QTEST_GUILESS_MAIN(TestPlumorOutils)
#include "test_plumor_outils.moc"
