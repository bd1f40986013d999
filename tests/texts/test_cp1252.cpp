#include "texts/cp1252.h"

#include <QTest>

class TestCp1252 : public QObject
{
    Q_OBJECT
private slots:
    void toutOctetRevientIntact()
    {
        QByteArray tous;
        for (int b = 0; b < 256; ++b)
            tous.append(char(b));
        const QString texte = cp1252::decode(tous);
        QCOMPARE(texte.size(), 256);
        QCOMPARE(cp1252::encode(texte), tous);
        for (const QChar c : texte)
            QVERIFY2(cp1252::encodable(c), qPrintable(QString::number(c.unicode(), 16)));
    }

    void decodage_data()
    {
        QTest::addColumn<int>("octet");
        QTest::addColumn<int>("caractere");
        QTest::newRow("euro") << 0x80 << 0x20AC;
        QTest::newRow("guillemet bas") << 0x84 << 0x201E;
        QTest::newRow("points de suspension") << 0x85 << 0x2026;
        QTest::newRow("OE") << 0x8C << 0x0152;
        QTest::newRow("apostrophe typographique") << 0x92 << 0x2019;
        QTest::newRow("tiret demi-cadratin") << 0x96 << 0x2013;
        QTest::newRow("oe") << 0x9C << 0x0153;
        QTest::newRow("Y trema") << 0x9F << 0x0178;
        QTest::newRow("indefini 81") << 0x81 << 0x81;
        QTest::newRow("indefini 8D") << 0x8D << 0x8D;
        QTest::newRow("indefini 8F") << 0x8F << 0x8F;
        QTest::newRow("indefini 90") << 0x90 << 0x90;
        QTest::newRow("indefini 9D") << 0x9D << 0x9D;
        QTest::newRow("espace insecable") << 0xA0 << 0xA0;
        QTest::newRow("e aigu") << 0xE9 << 0xE9;
        QTest::newRow("CR") << 0x0D << 0x0D;
    }
    void decodage()
    {
        QFETCH(int, octet);
        QFETCH(int, caractere);
        const QString t = cp1252::decode(QByteArray(1, char(octet)));
        QCOMPARE(int(t.at(0).unicode()), caractere);
    }

    void sansOctetDevientPointDInterrogation()
    {
        // U+0080 is not the euro: only the undefined positions are their own C1 character.
        QCOMPARE(cp1252::encode(QStringLiteral("a\u0080b\u4E2D")), QByteArray("a?b?"));
        QVERIFY(!cp1252::encodable(QChar(0x80)));
        QVERIFY(!cp1252::encodable(QChar(0x0101)));
    }

    void adapter_data()
    {
        QTest::addColumn<QString>("entree");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("deja stockable") << QStringLiteral("Déjà « là » – œuvre… €") << QStringLiteral("Déjà « là » – œuvre… €");
        QTest::newRow("espace fine insecable") << QStringLiteral("oui\u202F!") << QStringLiteral("oui\u00A0!");
        QTest::newRow("espace fine") << QStringLiteral("a\u2009b") << QStringLiteral("a b");
        QTest::newRow("trait d'union insecable") << QStringLiteral("peut\u2011être") << QStringLiteral("peut-être");
        QTest::newRow("signe moins") << QStringLiteral("3\u22122") << QStringLiteral("3-2");
        QTest::newRow("espace sans chasse") << QStringLiteral("a\u200Bb\uFEFF") << QStringLiteral("ab");
        QTest::newRow("ligature") << QStringLiteral("\uFB01n") << QStringLiteral("fin");
        QTest::newRow("diacritique absent") << QStringLiteral("\u0101\u0119\u0151") << QStringLiteral("aeo");
        QTest::newRow("separateur de ligne") << QStringLiteral("a\u2028b") << QStringLiteral("a\nb");
        QTest::newRow("emoji en une fois") << QStringLiteral("a\U0001F600b") << QStringLiteral("a?b");
        QTest::newRow("ideogramme") << QStringLiteral("\u4E2D") << QStringLiteral("?");
        QTest::newRow("tabulation et saut") << QStringLiteral("a\tb\nc") << QStringLiteral("a\tb\nc");
    }
    void adapter()
    {
        QFETCH(QString, entree);
        QFETCH(QString, attendu);
        const QString resultat = cp1252::adapter(entree);
        QCOMPARE(resultat, attendu);
        for (const QChar c : resultat)
            QVERIFY(cp1252::encodable(c));
    }
};

QTEST_APPLESS_MAIN(TestCp1252)
#include "test_cp1252.moc"
