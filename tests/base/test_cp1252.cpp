#include "base/cp1252.h"

#include <QTest>

#include <algorithm>

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
        QCOMPARE(cp1252::encode(texte), tous);
        QVERIFY(std::all_of(texte.cbegin(), texte.cend(), cp1252::encodable));
        // The euro, the oe ligature, an undefined byte kept as itself, é.
        QCOMPARE(texte.mid(0x80, 1) + texte.mid(0x9C, 1) + texte.mid(0x81, 1) + texte.mid(0xE9, 1),
                 QStringLiteral("€œ\u0081é"));
        // U+0080 is not the euro: only undefined positions are their own C1 character.
        QCOMPARE(cp1252::encode(QStringLiteral("a\u0080b\u4E2D")), QByteArray("a?b?"));
        // Whatever a pupil pastes can be stored: every character of the first plane, a sample beyond.
        for (char32_t u = 0; u <= 0x10FFFF; u += u < 0x10000 ? 1 : 0x101) {
            const QString a = cp1252::adapter(QString::fromUcs4(&u, 1));
            QVERIFY2(std::all_of(a.cbegin(), a.cend(), cp1252::encodable), qPrintable(QString::number(u, 16)));
        }
    }

    void adapter_data()
    {
        QTest::addColumn<QString>("entree");
        QTest::addColumn<QString>("attendu");
        QTest::newRow("deja stockable") << QStringLiteral("Déjà «\u00A0là\u00A0» – œuvre… €") << QStringLiteral("Déjà «\u00A0là\u00A0» – œuvre… €");
        QTest::newRow("espace fine insecable") << QStringLiteral("oui\u202F!") << QStringLiteral("oui\u00A0!");
        QTest::newRow("espace fine") << QStringLiteral("a\u2009b") << QStringLiteral("a b");
        QTest::newRow("trait d'union insecable") << QStringLiteral("peut\u2011être") << QStringLiteral("peut-être");
        QTest::newRow("espace sans chasse") << QStringLiteral("a\u200Bb\uFEFF") << QStringLiteral("ab");
        QTest::newRow("ligature") << QStringLiteral("\uFB01n") << QStringLiteral("fin");
        QTest::newRow("diacritique absent") << QStringLiteral("\u0101\u0119\u0151") << QStringLiteral("aeo");
        QTest::newRow("separateur de ligne") << QStringLiteral("a\u2028b") << QStringLiteral("a\nb");
        QTest::newRow("demi-caracteres seuls") << QStringLiteral("\u4E2D") + QChar(0xDC00) + u'a' + QChar(0xD83D) << QStringLiteral("??a?");
        QTest::newRow("emoji en une fois") << QStringLiteral("a\U0001F600b\tc") << QStringLiteral("a?b\tc");
    }
    void adapter()
    {
        QFETCH(QString, entree);
        QFETCH(QString, attendu);
        QCOMPARE(cp1252::adapter(entree), attendu);
    }
};

QTEST_APPLESS_MAIN(TestCp1252)
#include "test_cp1252.moc"
