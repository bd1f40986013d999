#include "base/lexicon/lexique.h"

#include <QDir>
#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// The kept lines, then "!" when reading stopped for tropLong.
QStringList lignes(const Lexique &l)
{
    QStringList gardees(l.lignes.begin() + 1, l.lignes.begin() + 1 + l.nbThemes);
    return l.tropLong ? gardees << u"!"_s : gardees;
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
    // The same lines from characters and from bytes; line 0 is never used.
    void chargement()
    {
        QStringList cent;
        for (int i = 1; i <= maxThemes; ++i)
            cent << u"theme %1;mot"_s.arg(i);
        const std::pair<QString, QStringList> cas[] = {
            // A blank first line, short lines skipped, the last one unended.
            {u"\r\nab\r\n  \r\n ;\t\r\ndef"_s, {u" ;\t"_s, u"def"_s}},
            // A lone CR ends a line, a LF is no line end but a character.
            {u"abc\rdef\r"_s, {u"abc"_s, u"def"_s}},
            {u"ab\n\r\n\nx"_s, {u"ab\n"_s}},
            // 100 themes among short lines, then 100 and a blank line, 101
            // ended by CR alone.
            {u"x\r\n"_s + cent.join(u"\r\nab\r\n\r\n"), cent},
            {cent.join(u"\r\n") + u"\r\n\r\n"_s, cent + QStringList{u"!"_s}},
            {cent.join(u'\r') + u"\rtheme 101;mot\r"_s, cent + QStringList{u"!"_s}},
        };
        for (const auto &[contenu, attendu] : cas) {
            const Lexique l = chargerLexique(contenu);
            QVERIFY(l.lignes[0].isEmpty());
            QCOMPARE(lignes(l) + lignes(chargerLexiqueOctets(contenu.toLatin1(), latin1)), attendu + attendu);
        }

        // A damaged file costs no more than what is kept: lines cut after
        // longueurGardee characters (-1: whole), reading stopped after 100.
        // Nothing but a plain file is read (/etc/passwd is one): a pipe or a device would never end.
        QVERIFY(!lireFichierLexique(u"/nulle/part.stw"_s) && !lireFichierLexique(QDir::tempPath())
                && !lireFichierLexique(u"/dev/zero"_s) && lireFichierLexique(u"/etc/passwd"_s));
        const QByteArray octets("ab\r\nchat;chien\r\n");
        QCOMPARE(lignes(chargerLexiqueOctets(octets, latin1, 4)) + lignes(chargerLexiqueOctets(octets, latin1, 0)),
                 (QStringList{u"chat"_s, u""_s}));
        QCOMPARE(chargerLexique(QString(10'000'000, u'a')).lignes[1].size(), 10'000'000);
        QCOMPARE(lignes(chargerLexique(u"ab\r\n"_s.repeated(1'000'000))), QStringList());
        QCOMPARE(lignes(chargerLexique(u"abc\r"_s.repeated(1'000'000))).size(), maxThemes + 1);
    }

    // A line as its entries, then "→" and the theme's name (∅: none).
    void decoupage()
    {
        const QStringView coupee(u"chats;chien\r\nx");
        const std::pair<QStringView, QString> cas[] = {
            {u"animaux;chat;chien", u"animaux|chat|chien → animaux"_s},
            // Spaces belong to entries.
            {u"les animaux; un chat ;la maîtresse", u"les animaux| un chat |la maîtresse → les animaux"_s},
            // Separators first, in runs, last.
            {u";.; zoo;\n\t.lion.;", u" zoo|lion →  zoo"_s},
            // One run ending the line names no theme; a lone space there is
            // dropped, two are kept.
            {u";;animaux", u"animaux → ∅"_s},
            {u" ;chat; ", u" |chat →  "_s},
            {u"chat;  ", u"chat|   → chat"_s},
            // É, œ and ’ cut words, ' does not; nor does anything past
            // Latin-1, even on a word character's low byte.
            {u"d'École;sœur l’été", u"d'|cole|s|ur l|été → d'"_s},
            {u"aĀbǩc", u"a|b|c → a"_s},
            // Only what the view holds is split: nothing past its end is read.
            {coupee.first(8), u"chats|ch → chats"_s},
            {coupee.first(3), u"cha → ∅"_s},
        };
        for (const auto &[ligne, attendu] : cas) {
            const DecoupageLigne d = decouperLigne(ligne);
            QCOMPARE(d.entrees.join(u'|') + u" → "_s + d.nom.value_or(u"∅"_s), attendu);
            QCOMPARE(nomTheme(ligne), d.nom);
        }
        QCOMPARE(ligneFichier(coupee.first(12), 0).suite, 12);

        // A name finds the last line it begins, among the first nbThemes.
        const Lexique l = chargerLexique(u"animaux de la ferme;vache\r\nanimaux;chat\r\nanimaux;rat");
        QCOMPARE((QList<qint16>{chercherTheme(l.lignes, 3, u"animaux"), chercherTheme(l.lignes, 3, u"animaux de la ferme"),
                                chercherTheme(l.lignes, 2, u"animaux"), chercherTheme(l.lignes, 3, u"animaux;chats"),
                                chercherTheme(l.lignes, 0, u"animaux")}), (QList<qint16>{3, 1, 2, 0, 0}));
    }
};

QTEST_APPLESS_MAIN(TestLexique)
#include "test_lexique.moc"
