#include "lexicon/lexique.h"

#include <QFile>
#include <QSet>
#include <QtTest>

namespace {

// Windows-1252 as the program reads it: one character per byte, the five
// unassigned bytes kept as C1 controls. Local so that these tests do not
// depend on the program's codec.
QString depuis_1252(const QByteArray &octets)
{
    static const char16_t de_80_a_9f[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
        0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
        0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
        0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    QString texte(octets.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < octets.size(); ++i) {
        const auto o = static_cast<unsigned char>(octets[i]);
        texte[i] = QChar(o >= 0x80 && o < 0xA0 ? de_80_a_9f[o - 0x80] : char16_t(o));
    }
    return texte;
}

// Theme lines "theme N;mot" numbered from `premier`.
QStringList themes(int premier, int nombre)
{
    QStringList lignes;
    for (int i = premier; i < premier + nombre; ++i)
        lignes << QStringLiteral("theme %1;mot").arg(i);
    return lignes;
}

QString en_fichier(const QStringList &lignes, const QString &fin = QStringLiteral("\r\n"))
{
    return lignes.join(fin) + fin;
}

Lexique lexique_de(const QStringList &lignes, int nb_themes)
{
    Lexique lexique;
    for (int i = 0; i < lignes.size(); ++i)
        lexique.lignes[i + 1] = lignes[i];
    lexique.nbThemes = static_cast<qint16>(nb_themes);
    return lexique;
}

Lexique lexique_livre()
{
    QFile fichier(QStringLiteral(LEXIQUE_LIVRE));
    if (!fichier.open(QIODevice::ReadOnly))
        return {};
    return chargerLexique(depuis_1252(fichier.readAll()));
}

} // namespace

class TestLexique : public QObject
{
    Q_OBJECT

private slots:
    void lettres_mot_distinctes();
    void est_lettre_mot_data();
    void est_lettre_mot();
    void est_lettre_mot_suit_la_chaine();
    void charge_lexique_data();
    void charge_lexique();
    void charge_lexique_fichiers_hostiles();
    void decoupe_lex_data();
    void decoupe_lex();
    void cherche_theme_data();
    void cherche_theme();
    void choix_theme_data();
    void choix_theme();
    void lexique_livre_octets();
    void lexique_livre_chargement();
    void lexique_livre_themes_data();
    void lexique_livre_themes();
};

void TestLexique::lettres_mot_distinctes()
{
    const QStringView lettres(lettres_mot);
    QCOMPARE(lettres.size(), 87);
    QSet<QChar> vues;
    for (QChar c : lettres)
        vues.insert(c);
    QCOMPARE(vues.size(), 87);
}

void TestLexique::est_lettre_mot_data()
{
    QTest::addColumn<QChar>("c");
    QTest::addColumn<bool>("lettre");

    const QString dedans = QStringLiteral(
        "09AZBNaznb '-,éèêôâîÄËÏÖÜäöïëüßûàçù");
    for (QChar c : dedans)
        QTest::addRow("U+%04X in", c.unicode()) << c << true;

    const QString dehors = QStringLiteral(
        ";.:/?!\t\n\r\"()[]«»ÉÈÀÇÊÔÎÛŒœ’‘ÿáíóúñ");
    for (QChar c : dehors)
        QTest::addRow("U+%04X out", c.unicode()) << c << false;
    // Outside Latin-1, even when the low byte is that of a word character.
    for (char16_t u : {u'\0', u'\u00A0', u'\u01E9', u'\u0130', u'\u0141', u'\u2019', u'\uFFFF'})
        QTest::addRow("U+%04X out", unsigned(u)) << QChar(u) << false;
}

void TestLexique::est_lettre_mot()
{
    QFETCH(QChar, c);
    QFETCH(bool, lettre);
    QCOMPARE(::estLettreMot(c), lettre);
}

void TestLexique::est_lettre_mot_suit_la_chaine()
{
    const QStringView lettres(lettres_mot);
    for (int u = 0; u <= 0xFFFF; ++u) {
        const QChar c(static_cast<char16_t>(u));
        if (::estLettreMot(c) != lettres.contains(c))
            QFAIL(qPrintable(QStringLiteral("U+%1 disagrees").arg(u, 4, 16, QLatin1Char('0'))));
    }
}

void TestLexique::charge_lexique_data()
{
    QTest::addColumn<QString>("contenu");
    QTest::addColumn<QStringList>("lignes");
    QTest::addColumn<bool>("trop_long");

    QTest::newRow("empty file") << QString() << QStringList() << false;
    QTest::newRow("only short lines")
        << QStringLiteral("\r\na\r\nab\r\n  \r\n;;\r") << QStringList() << false;
    QTest::newRow("one line, no line end") << QStringLiteral("abc") << QStringList{"abc"} << false;
    QTest::newRow("one line, CR LF") << QStringLiteral("abc\r\n") << QStringList{"abc"} << false;
    QTest::newRow("2 skipped, 3 kept")
        << QStringLiteral("ab\r\nabc\r\nxy") << QStringList{"abc"} << false;
    QTest::newRow("three spaces are a line")
        << QStringLiteral("   \r\n") << QStringList{"   "} << false;
    QTest::newRow("lines kept unchanged")
        << QStringLiteral(" les animaux ; chat ;\t\r\nla mer;;\r\n")
        << QStringList{" les animaux ; chat ;\t", "la mer;;"} << false;
    QTest::newRow("short lines anywhere")
        << QStringLiteral("\r\nun;deux\r\nab\r\n\r\ntrois;quatre\r\nx\r\n")
        << QStringList{"un;deux", "trois;quatre"} << false;
    QTest::newRow("CR only line ends")
        << QStringLiteral("abc\rdef\rghi\r") << QStringList{"abc", "def", "ghi"} << false;
    QTest::newRow("CR then CR LF gives an empty line")
        << QStringLiteral("abc\r\r\ndef") << QStringList{"abc", "def"} << false;
    QTest::newRow("LF only: one line")
        << QStringLiteral("abc\ndef\nghi\n") << QStringList{"abc\ndef\nghi\n"} << false;
    QTest::newRow("LF only, short pieces add up")
        << QStringLiteral("a\nb\n") << QStringList{"a\nb\n"} << false;
    QTest::newRow("LF counts as a character")
        << QStringLiteral("ab\n\r\na\n\r\n") << QStringList{"ab\n"} << false;
    QTest::newRow("LF after CR LF starts the next line")
        << QStringLiteral("abc\r\n\ndef\r\n") << QStringList{"abc", "\ndef"} << false;
    QTest::newRow("LF before CR stays in the line")
        << QStringLiteral("abc\n\rdef") << QStringList{"abc\n", "def"} << false;

    const QStringList cent = themes(1, 100);
    QTest::newRow("100, final CR LF") << en_fichier(cent) << cent << false;
    QTest::newRow("100, final CR") << en_fichier(cent, QStringLiteral("\r")) << cent << false;
    QTest::newRow("100, no final line end") << cent.join(QStringLiteral("\r\n")) << cent << false;
    QTest::newRow("100 among short lines")
        << QStringLiteral("x\r\n") + cent.join(QStringLiteral("\r\nab\r\n\r\n")) + QStringLiteral("\r\n")
        << cent << false;
    QTest::newRow("99 and blank lines")
        << en_fichier(themes(1, 99)) + QStringLiteral("\r\n\r\n") << themes(1, 99) << false;
    QTest::newRow("100, then a blank line") << en_fichier(cent) + QStringLiteral("\r\n") << cent << true;
    QTest::newRow("100, then a lone CR") << en_fichier(cent) + QStringLiteral("\r") << cent << true;
    QTest::newRow("100, then a lone LF") << en_fichier(cent) + QStringLiteral("\n") << cent << true;
    QTest::newRow("100, then a short line") << en_fichier(cent) + QStringLiteral("ab") << cent << true;
    QTest::newRow("100, then a space") << en_fichier(cent) + QStringLiteral(" ") << cent << true;
    QTest::newRow("100, CR only, then a blank line")
        << en_fichier(cent, QStringLiteral("\r")) + QStringLiteral("\r") << cent << true;
    QTest::newRow("101") << en_fichier(themes(1, 101)) << cent << true;
    QTest::newRow("150") << en_fichier(themes(1, 150)) << cent << true;
    QTest::newRow("150, CR only") << en_fichier(themes(1, 150), QStringLiteral("\r")) << cent << true;
}

void TestLexique::charge_lexique()
{
    QFETCH(QString, contenu);
    QFETCH(QStringList, lignes);
    QFETCH(bool, trop_long);

    const Lexique lexique = ::chargerLexique(contenu);
    QCOMPARE(lexique.tropLong, trop_long);
    QCOMPARE(lexique.nbThemes, lignes.size());
    QVERIFY(lexique.lignes[0].isEmpty());
    for (int i = 1; i <= maxThemes; ++i)
        QCOMPARE(lexique.lignes[i], lignes.value(i - 1));
}

void TestLexique::charge_lexique_fichiers_hostiles()
{
    // One 10 MB line is one theme, whatever its length.
    const QString longue(10 * 1024 * 1024, QLatin1Char('a'));
    Lexique lexique = ::chargerLexique(longue + QStringLiteral("\r\n"));
    QCOMPARE(lexique.nbThemes, 1);
    QCOMPARE(lexique.lignes[1].size(), longue.size());
    QVERIFY(!lexique.tropLong);

    // A million short lines count for nothing.
    lexique = ::chargerLexique(QStringLiteral("ab\r\n").repeated(1000000));
    QCOMPARE(lexique.nbThemes, 0);
    QVERIFY(!lexique.tropLong);

    // A million themes: reading stops after the 100th.
    lexique = ::chargerLexique(QStringLiteral("abc\r").repeated(1000000));
    QCOMPARE(lexique.nbThemes, maxThemes);
    QCOMPARE(lexique.lignes[maxThemes], QStringLiteral("abc"));
    QVERIFY(lexique.tropLong);
}

void TestLexique::decoupe_lex_data()
{
    QTest::addColumn<QString>("ligne");
    QTest::addColumn<QStringList>("entrees");
    QTest::addColumn<bool>("a_nom");
    QTest::addColumn<QString>("nom");

    QTest::newRow("example") << QStringLiteral("animaux;chat;chien;cheval")
                             << QStringList{"animaux", "chat", "chien", "cheval"} << true << "animaux";
    QTest::newRow("expressions keep their spaces")
        << QStringLiteral("les animaux;un chat;la maîtresse")
        << QStringList{"les animaux", "un chat", "la maîtresse"} << true << "les animaux";
    QTest::newRow("separator then space")
        << QStringLiteral("animaux; chat; chien")
        << QStringList{"animaux", " chat", " chien"} << true << "animaux";
    QTest::newRow("space then separator")
        << QStringLiteral("animaux ;chat ;chien")
        << QStringList{"animaux ", "chat ", "chien"} << true << "animaux ";
    QTest::newRow("one run: entry, no name")
        << QStringLiteral("les animaux de la ferme")
        << QStringList{"les animaux de la ferme"} << false << QString();
    QTest::newRow("separators then one run")
        << QStringLiteral(";;animaux") << QStringList{"animaux"} << false << QString();
    QTest::newRow("starts with separators")
        << QStringLiteral(";.; animaux;chat") << QStringList{" animaux", "chat"} << true << " animaux";
    QTest::newRow("several separators are one gap")
        << QStringLiteral("animaux;;\t.:/?!\"();chat") << QStringList{"animaux", "chat"} << true << "animaux";
    QTest::newRow("ends with separators")
        << QStringLiteral("animaux;chat;;.") << QStringList{"animaux", "chat"} << true << "animaux";
    QTest::newRow("runs of space comma apostrophe hyphen")
        << QStringLiteral("a; ;,;';-;  ;b")
        << QStringList{"a", " ", ",", "'", "-", "  ", "b"} << true << "a";
    QTest::newRow("lone space first is the name")
        << QStringLiteral(" ;chat") << QStringList{" ", "chat"} << true << " ";
    QTest::newRow("lone space at line end dropped")
        << QStringLiteral("animaux;chat; ") << QStringList{"animaux", "chat"} << true << "animaux";
    QTest::newRow("two spaces at line end kept")
        << QStringLiteral("animaux;chat;  ") << QStringList{"animaux", "chat", "  "} << true << "animaux";
    QTest::newRow("comma at line end kept")
        << QStringLiteral("animaux;,") << QStringList{"animaux", ","} << true << "animaux";
    QTest::newRow("lone space line") << QStringLiteral(" ") << QStringList() << false << QString();
    QTest::newRow("empty line") << QString() << QStringList() << false << QString();
    QTest::newRow("only separators") << QStringLiteral(";;;") << QStringList() << false << QString();
    QTest::newRow("É cuts a word")
        << QStringLiteral("la cour d'École;préau")
        << QStringList{"la cour d'", "cole", "préau"} << true << "la cour d'";
    QTest::newRow("É between words")
        << QStringLiteral("MÉTÉO;pluie") << QStringList{"M", "T", "O", "pluie"} << true << "M";
    QTest::newRow("œ and typographic apostrophe separate")
        << QStringLiteral("sœur;l’été") << QStringList{"s", "ur", "l", "été"} << true << "s";
    QTest::newRow("LF inside a line separates")
        << QStringLiteral("animaux\nchat;chien\n") << QStringList{"animaux", "chat", "chien"} << true << "animaux";
    QTest::newRow("LF first")
        << QStringLiteral("\nanimaux;chat") << QStringList{"animaux", "chat"} << true << "animaux";
    QTest::newRow("duplicates and case kept")
        << QStringLiteral("Chat;chat;Chat;CHAT")
        << QStringList{"Chat", "chat", "Chat", "CHAT"} << true << "Chat";
    QTest::newRow("accented set and digits")
        << QStringLiteral("Äpfel;Straße;10 doigts;où;garçon")
        << QStringList{"Äpfel", "Straße", "10 doigts", "où", "garçon"} << true << "Äpfel";
}

void TestLexique::decoupe_lex()
{
    QFETCH(QString, ligne);
    QFETCH(QStringList, entrees);
    QFETCH(bool, a_nom);
    QFETCH(QString, nom);

    const DecoupageLigne decoupage = decouperLigne(ligne);
    QCOMPARE(decoupage.entrees, entrees);
    QCOMPARE(decoupage.nom.has_value(), a_nom);
    if (a_nom)
        QCOMPARE(*decoupage.nom, nom);
}

void TestLexique::cherche_theme_data()
{
    QTest::addColumn<QStringList>("lignes");
    QTest::addColumn<int>("nb_themes");
    QTest::addColumn<QString>("nom");
    QTest::addColumn<int>("indice");

    const QStringList court_puis_long{"animaux;chat", "animaux de la ferme;vache"};
    QTest::newRow("short then long: short name") << court_puis_long << 2 << "animaux" << 2;
    QTest::newRow("short then long: long name") << court_puis_long << 2 << "animaux de la ferme" << 2;
    const QStringList long_puis_court{"animaux de la ferme;vache", "animaux;chat"};
    QTest::newRow("long then short: short name") << long_puis_court << 2 << "animaux" << 2;
    QTest::newRow("long then short: long name") << long_puis_court << 2 << "animaux de la ferme" << 1;
    QTest::newRow("same name twice, last wins")
        << QStringList{"mer;sable", "forêt;arbre", "mer;vague", "ville;rue"} << 4 << "mer" << 3;
    QTest::newRow("not a word boundary")
        << QStringList{"chat;souris", "chats;minou"} << 2 << "chat" << 2;
    QTest::newRow("first line") << QStringList{"mer;sable", "forêt;arbre"} << 2 << "mer" << 1;
    QTest::newRow("no match") << QStringList{"mer;sable", "forêt;arbre"} << 2 << "ville" << 0;
    QTest::newRow("case-sensitive") << QStringList{"animaux;chat"} << 1 << "Animaux" << 0;
    QTest::newRow("name longer than line") << QStringList{"chat"} << 1 << "chats" << 0;
    QTest::newRow("line is exactly the name") << QStringList{"x;y", "chat"} << 2 << "chat" << 2;
    QTest::newRow("line starting with separators")
        << QStringList{";animaux;chat"} << 1 << "animaux" << 0;
    QTest::newRow("name with leading space")
        << QStringList{"animaux; chat", " chat;souris"} << 2 << " chat" << 2;
    QTest::newRow("lines past nb_themes ignored")
        << QStringList{"mer;sable", "mer;vague"} << 1 << "mer" << 1;
    QTest::newRow("no themes") << QStringList{"mer;sable"} << 0 << "mer" << 0;
    QTest::newRow("empty name matches every line")
        << QStringList{"mer;sable", "forêt;arbre", "ville;rue"} << 3 << "" << 3;
}

void TestLexique::cherche_theme()
{
    QFETCH(QStringList, lignes);
    QFETCH(int, nb_themes);
    QFETCH(QString, nom);
    QFETCH(int, indice);

    const Lexique lexique = lexique_de(lignes, nb_themes);
    QCOMPARE(::chercherTheme(lexique.lignes, lexique.nbThemes, nom), indice);
}

// From the file to the words shown for the n-th chooser entry, as the window
// chains the three functions.
void TestLexique::choix_theme_data()
{
    QTest::addColumn<QString>("contenu");
    QTest::addColumn<int>("choix");
    QTest::addColumn<QStringList>("mots");

    const QString court_puis_long = QStringLiteral("animaux;chat;chien\r\nanimaux de la ferme;vache;cochon\r\n");
    QTest::newRow("short then long, first") << court_puis_long << 0
                                            << QStringList{"animaux de la ferme", "vache", "cochon"};
    QTest::newRow("short then long, second") << court_puis_long << 1
                                             << QStringList{"animaux de la ferme", "vache", "cochon"};
    const QString long_puis_court = QStringLiteral("animaux de la ferme;vache;cochon\r\nanimaux;chat;chien\r\n");
    QTest::newRow("long then short, first") << long_puis_court << 0
                                            << QStringList{"animaux de la ferme", "vache", "cochon"};
    QTest::newRow("long then short, second") << long_puis_court << 1
                                             << QStringList{"animaux", "chat", "chien"};
    const QString deux_fois = QStringLiteral("mer;sable\r\nmer;vague;phare\r\n");
    QTest::newRow("same name, first entry") << deux_fois << 0 << QStringList{"mer", "vague", "phare"};
    QTest::newRow("same name, second entry") << deux_fois << 1 << QStringList{"mer", "vague", "phare"};
    QTest::newRow("line starting with separators")
        << QStringLiteral(";mer;sable\r\nforêt;arbre\r\n") << 0 << QStringList();
    QTest::newRow("entries after a space")
        << QStringLiteral("mer; sable; vague\r\n") << 0 << QStringList{"mer", " sable", " vague"};
    QTest::newRow("single-run line gives no entry")
        << QStringLiteral("mer\r\nforêt;arbre\r\n") << 0 << QStringList{"forêt", "arbre"};
}

void TestLexique::choix_theme()
{
    QFETCH(QString, contenu);
    QFETCH(int, choix);
    QFETCH(QStringList, mots);

    const Lexique lexique = ::chargerLexique(contenu);
    QStringList noms;
    for (int i = 1; i <= lexique.nbThemes; ++i) {
        if (const auto nom = decouperLigne(lexique.lignes[i]).nom)
            noms << *nom;
    }
    QVERIFY(choix < noms.size());
    const qint16 indice = ::chercherTheme(lexique.lignes, lexique.nbThemes, noms[choix]);
    QCOMPARE(decouperLigne(lexique.lignes[indice]).entrees, mots);
}

void TestLexique::lexique_livre_octets()
{
    QFile fichier(QStringLiteral(LEXIQUE_LIVRE));
    QVERIFY2(fichier.open(QIODevice::ReadOnly), LEXIQUE_LIVRE);
    const QByteArray octets = fichier.readAll();
    const QString texte = depuis_1252(octets);
    QVERIFY(octets.endsWith("\r\n"));
    QVERIFY(!octets.contains("\r\n\r\n"));
    QVERIFY(octets.contains('\xE9')); // é as one Windows-1252 byte
    for (qsizetype i = 0; i < octets.size(); ++i) {
        const char o = octets[i];
        if (o == '\r')
            QVERIFY2(i + 1 < octets.size() && octets[i + 1] == '\n', "CR without LF");
        else if (o == '\n')
            QVERIFY2(i > 0 && octets[i - 1] == '\r', "LF without CR");
        else if (o != ';' && !::estLettreMot(texte[i]))
            QFAIL(qPrintable(QStringLiteral("byte 0x%1 at %2 is no word character")
                                 .arg(uchar(o), 2, 16, QLatin1Char('0')).arg(i)));
    }
}

void TestLexique::lexique_livre_chargement()
{
    const Lexique lexique = lexique_livre();
    QVERIFY(!lexique.tropLong);
    QVERIFY2(lexique.nbThemes >= 20 && lexique.nbThemes <= 30,
             qPrintable(QString::number(lexique.nbThemes)));
    QSet<QString> noms;
    for (int i = 1; i <= lexique.nbThemes; ++i) {
        const auto nom = decouperLigne(lexique.lignes[i]).nom;
        QVERIFY(nom);
        QVERIFY2(!noms.contains(*nom), qPrintable(*nom));
        noms.insert(*nom);
    }
}

void TestLexique::lexique_livre_themes_data()
{
    QTest::addColumn<int>("indice");
    const Lexique lexique = lexique_livre();
    for (int i = 1; i <= lexique.nbThemes; ++i)
        QTest::addRow("%d %s", i, qPrintable(decouperLigne(lexique.lignes[i]).nom.value_or(QString())))
            << i;
}

void TestLexique::lexique_livre_themes()
{
    QFETCH(int, indice);
    const Lexique lexique = lexique_livre();
    const DecoupageLigne decoupage = decouperLigne(lexique.lignes[indice]);
    QVERIFY(decoupage.nom);
    QCOMPARE(decoupage.entrees.value(0), *decoupage.nom);
    const qsizetype mots = decoupage.entrees.size() - 1;
    QVERIFY2(mots >= 15 && mots <= 40, qPrintable(QString::number(mots)));

    // Choosing the name must show this line, not a later one beginning alike.
    QCOMPARE(::chercherTheme(lexique.lignes, lexique.nbThemes, *decoupage.nom), indice);

    QSet<QString> vues;
    for (const QString &entree : decoupage.entrees) {
        QVERIFY2(entree.front().isLetterOrNumber() && entree.back().isLetterOrNumber(),
                 qPrintable(QLatin1Char('"') + entree + QLatin1Char('"')));
        QVERIFY2(!entree.contains(QStringLiteral("  ")), qPrintable(entree));
        QVERIFY2(!vues.contains(entree), qPrintable(QStringLiteral("twice: ") + entree));
        vues.insert(entree);
    }
}

QTEST_APPLESS_MAIN(TestLexique)
#include "test_lexique.moc"
