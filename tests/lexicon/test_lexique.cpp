#include "lexicon/lexique.h"

#include <QDir>
#include <QtTest>

namespace {

// `nombre` lines "theme N;mot", each followed by `fin`.
QString themes(int nombre, const QString &fin = QStringLiteral("\r\n"))
{
    QString texte;
    for (int i = 1; i <= nombre; ++i)
        texte += QStringLiteral("theme %1;mot").arg(i) + fin;
    return texte;
}

// The kept lines, then "!" when reading stopped for tropLong.
QStringList lignes(const Lexique &l)
{
    QStringList gardees(l.lignes.begin() + 1, l.lignes.begin() + 1 + l.nbThemes);
    return l.tropLong ? gardees << QStringLiteral("!") : gardees;
}

// Enough for these tests instead of Windows-1252: every word character is
// Latin-1, and the bytes where the two code pages differ are no word
// characters in either.
const DecodeurLexique latin1 = [](QByteArrayView octets) { return QString::fromLatin1(octets); };

} // namespace

class TestLexique : public QObject
{
    Q_OBJECT

private slots:
    void chargement_data()
    {
        QTest::addColumn<QString>("contenu");
        QTest::addColumn<QStringList>("attendu");

        const QStringList cent = themes(maxThemes).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QTest::newRow("blank first, short lines skipped, last unended")
            << QStringLiteral("\r\nab\r\n  \r\n ;\t\r\ndef") << QStringList{" ;\t", "def"};
        QTest::newRow("lone CR ends a line") << QStringLiteral("abc\rdef\r") << QStringList{"abc", "def"};
        QTest::newRow("LF is no line end but a character") << QStringLiteral("ab\n\r\n\nx") << QStringList{"ab\n"};
        QTest::newRow("100 among short lines")
            << QStringLiteral("x\r\n") + themes(maxThemes, QStringLiteral("\r\nab\r\n\r\n")).chopped(6) << cent;
        QTest::newRow("100 then a blank line") << themes(maxThemes) + QStringLiteral("\r\n") << cent + QStringList{"!"};
        QTest::newRow("101, CR only") << themes(101, QStringLiteral("\r")) << cent + QStringList{"!"};
    }

    void chargement()
    {
        QFETCH(QString, contenu);
        QFETCH(QStringList, attendu);
        const Lexique l = chargerLexique(contenu);
        QCOMPARE(lignes(l), attendu);
        QVERIFY(l.lignes[0].isEmpty());
        QCOMPARE(lignes(chargerLexiqueOctets(contenu.toLatin1(), latin1)), attendu);
    }

    // A damaged file costs no more than what is kept: lines cut after
    // longueurGardee characters (-1: whole), reading stopped after 100.
    // Nothing but a plain file is read: a pipe or a device would never end.
    void fichiersHostiles()
    {
        QVERIFY(!lireFichierLexique(QStringLiteral("/nulle/part.stw")));
        QVERIFY(!lireFichierLexique(QDir::tempPath()));
        QVERIFY(!lireFichierLexique(QStringLiteral("/dev/zero")));
        const QByteArray octets("ab\r\nchat;chien\r\n");
        QCOMPARE(lignes(chargerLexiqueOctets(octets, latin1, 4)), QStringList{"chat"});
        QCOMPARE(lignes(chargerLexiqueOctets(octets, latin1, 0)), QStringList{""});
        QCOMPARE(chargerLexique(QString(10'000'000, u'a')).lignes[1].size(), 10'000'000);
        QCOMPARE(lignes(chargerLexique(QStringLiteral("ab\r\n").repeated(1'000'000))), QStringList());
        QCOMPARE(lignes(chargerLexique(QStringLiteral("abc\r").repeated(1'000'000))).size(), maxThemes + 1);
    }

    void decoupage_data()
    {
        QTest::addColumn<QString>("ligne");
        QTest::addColumn<QStringList>("entrees");
        QTest::addColumn<QString>("nom"); // empty: none

        QTest::newRow("name first") << "animaux;chat;chien" << QStringList{"animaux", "chat", "chien"} << "animaux";
        QTest::newRow("spaces belong to entries") << "les animaux; un chat ;la maîtresse"
                                                  << QStringList{"les animaux", " un chat ", "la maîtresse"}
                                                  << "les animaux";
        QTest::newRow("separators first, in runs, last")
            << ";.; zoo;\n\t.lion.;" << QStringList{" zoo", "lion"} << " zoo";
        QTest::newRow("one run ending the line: no name") << ";;animaux" << QStringList{"animaux"} << "";
        QTest::newRow("a lone space ending the line is dropped") << " ;chat; " << QStringList{" ", "chat"} << " ";
        QTest::newRow("two are kept") << "chat;  " << QStringList{"chat", "  "} << "chat";
        QTest::newRow("É, œ and ’ cut words, ' does not")
            << "d'École;sœur l’été" << QStringList{"d'", "cole", "s", "ur l", "été"} << "d'";
        QTest::newRow("past Latin-1, even on a word's low byte") << "aĀbǩc" << QStringList{"a", "b", "c"} << "a";
    }

    void decoupage()
    {
        QFETCH(QString, ligne);
        QFETCH(QStringList, entrees);
        QFETCH(QString, nom);
        const DecoupageLigne d = decouperLigne(ligne);
        QCOMPARE(d.entrees, entrees);
        QCOMPARE(d.nom.value_or(QString()), nom);
        QCOMPARE(nomTheme(ligne), d.nom);
    }

    // Only a line's first longueurDecoupee characters are split: nothing
    // past the end of a view is read.
    void vuesCoupees()
    {
        const QStringView ligne(u"chats;chien\r\nx");
        QCOMPARE(decouperLigne(ligne.first(8)).entrees, (QStringList{"chats", "ch"}));
        QVERIFY(!nomTheme(ligne.first(3)));
        QCOMPARE(ligneFichier(ligne.first(12), 0).suite, 12);
    }

    void recherche()
    {
        LignesLexique l;
        l[1] = QStringLiteral("animaux de la ferme;vache");
        l[2] = QStringLiteral("animaux;chat");
        l[3] = QStringLiteral("animaux;rat");
        QCOMPARE(chercherTheme(l, 3, u"animaux"), 3); // a prefix; the last line wins
        QCOMPARE(chercherTheme(l, 3, u"animaux de la ferme"), 1);
        QCOMPARE(chercherTheme(l, 2, u"animaux"), 2); // lines past nbThemes are not looked at
        QCOMPARE(chercherTheme(l, 3, u"animaux;chats"), 0); // longer than the line it begins
        QCOMPARE(chercherTheme(l, 0, u"animaux"), 0);
    }

    // The shipped lexicon: nothing but word characters between the
    // semicolons, and every theme shown by choosing its own name.
    void lexiqueLivre()
    {
        const QString texte = latin1(lireFichierLexique(QStringLiteral(LEXIQUE_LIVRE)).value_or(""));
        const Lexique l = chargerLexique(texte);
        QVERIFY(!l.tropLong && l.nbThemes > 20);
        // Each theme ended by CR LF, and no line too short between them.
        QCOMPARE(texte.count(u'\r'), l.nbThemes);
        QCOMPARE(texte.count(u'\n'), l.nbThemes);
        for (int i = 1; i <= l.nbThemes; ++i) {
            for (QChar c : l.lignes[i])
                QVERIFY2(c == u';' || estLettreMot(c), qPrintable(l.lignes[i]));
            const DecoupageLigne d = decouperLigne(l.lignes[i]);
            QVERIFY2(d.nom && chercherTheme(l.lignes, l.nbThemes, *d.nom) == i, qPrintable(l.lignes[i]));
            for (const QString &entree : d.entrees)
                QVERIFY2(entree.size() > 1 && entree.trimmed() == entree, qPrintable(entree));
        }
    }
};

QTEST_APPLESS_MAIN(TestLexique)
#include "test_lexique.moc"
