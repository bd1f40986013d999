#include "print/decoupe.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

// Texts and tokens are written with visible marks: ␣ a space, ⏎ a line feed,
// ↵ a carriage return, ⇥ a tab; each token stands between ⟨ and ⟩.
QString texteDe(QString notation)
{
    return notation.replace(u'␣', u' ').replace(u'⏎', u'\n').replace(u'↵', u'\r')
        .replace(u'⇥', u'\t');
}

QString montre(const QStringList &jetons)
{
    QString rendu;
    for (QString jeton : jetons) {
        jeton.replace(u' ', u'␣').replace(u'\n', u'⏎').replace(u'\r', u'↵')
            .replace(u'\t', u'⇥');
        rendu += u'⟨' + jeton + u'⟩';
    }
    return rendu;
}

QString repete(QStringView motif, int fois)
{
    return motif.toString().repeated(fois);
}

} // namespace

class TestDecoupe : public QObject
{
    Q_OBJECT

private slots:
    void jetons_data();
    void jetons();
    void caracteresDeMot();
    void longMot();
    void longTexte();
};

void TestDecoupe::jetons_data()
{
    QTest::addColumn<QString>("texte");
    QTest::addColumn<QString>("attendu");

    auto ligne = [](const char *nom, const QString &texte, const QString &attendu) {
        QTest::newRow(nom) << texteDe(texte) << attendu;
    };

    // The examples the class's texts are full of.
    ligne("elision", u"l'homme"_s, u"⟨l'⟩⟨␣⟩⟨homme⟩"_s);
    ligne("elision exceptions", u"Quelqu'un viendra aujourd'hui"_s,
          u"⟨Quelqu'un⟩⟨␣⟩⟨viendra⟩⟨␣⟩⟨aujourd'hui⟩"_s);
    ligne("d'abord", u"Il part d'abord."_s, u"⟨Il⟩⟨␣⟩⟨part⟩⟨␣⟩⟨d'abord⟩⟨.⟩"_s);
    ligne("inverted pronoun", u"Viens-tu␣?"_s, u"⟨Viens⟩⟨-⟩⟨tu⟩⟨␣?⟩"_s);
    ligne("euphonic t", u"a-t-il"_s, u"⟨a⟩⟨-⟩⟨t⟩⟨-⟩⟨il⟩"_s);
    ligne("compound word", u"peut-être"_s, u"⟨peut-être⟩"_s);
    ligne("dialogue dash", u"fin.↵⏎-Non,␣dit-elle."_s,
          u"⟨fin⟩⟨.⏎-⟩⟨Non⟩⟨,␣⟩⟨dit⟩⟨-⟩⟨elle⟩⟨.⟩"_s);
    ligne("tab", u"un⇥deux"_s, u"⟨un⟩⟨␣␣␣␣⟩⟨deux⟩"_s);

    // Where each run starts and ends.
    ligne("empty text", QString(), QString());
    ligne("starts with a separator", u"␣mot"_s, u"⟨␣⟩⟨mot⟩"_s);
    ligne("starts with a word", u"mot␣"_s, u"⟨mot⟩⟨␣⟩"_s);
    ligne("digits are word characters", u"12,5"_s, u"⟨12⟩⟨,⟩⟨5⟩"_s);
    ligne("guillemets are separators", u"«␣Oui␣»"_s, u"⟨«␣⟩⟨Oui⟩⟨␣»⟩"_s);

    // Elision.
    ligne("elision then a space", u"l'␣homme"_s, u"⟨l'⟩⟨␣␣⟩⟨homme⟩"_s);
    ligne("jusqu'", u"jusqu'à"_s, u"⟨jusqu'⟩⟨␣⟩⟨à⟩"_s);
    ligne("exception ignores case", u"QUELQU'UN"_s, u"⟨QUELQU'UN⟩"_s);
    ligne("exception must be the whole word", u"xquelqu'un"_s, u"⟨xquelqu'⟩⟨␣⟩⟨un⟩"_s);
    ligne("elision at the end", u"Il dit l'"_s, u"⟨Il⟩⟨␣⟩⟨dit⟩⟨␣⟩⟨l'⟩⟨␣⟩"_s);
    ligne("elision before a word", u"c'est-à-dire"_s, u"⟨c'⟩⟨␣⟩⟨est-à-dire⟩"_s);
    ligne("apostrophes alone", u"''"_s, u"⟨'⟩⟨␣⟩⟨'⟩⟨␣⟩"_s);
    // The apostrophe that ended the run at the end of the text still opens a
    // separator.
    ligne("exception at the end", u"quelqu'"_s, u"⟨quelqu'⟩⟨␣⟩"_s);
    ligne("exception then a space", u"quelqu'␣un"_s, u"⟨quelqu'⟩⟨␣⟩⟨un⟩"_s);
    ligne("typographic apostrophe", u"l’homme"_s, u"⟨l⟩⟨’⟩⟨homme⟩"_s);

    // The fixed expression.
    ligne("D'abord", u"D'abord"_s, u"⟨D'abord⟩"_s);
    ligne("d'Abord", u"d'Abord"_s, u"⟨d'⟩⟨␣⟩⟨Abord⟩"_s);
    ligne("d' abord", u"d'␣abord"_s, u"⟨d'abord⟩"_s);
    ligne("abordage", u"d'abordage"_s, u"⟨d'⟩⟨␣⟩⟨abordage⟩"_s);
    ligne("abord alone", u"abord"_s, u"⟨abord⟩"_s);
    ligne("abord after one token", u"␣abord"_s, u"⟨␣⟩⟨abord⟩"_s);
    ligne("l'abord", u"l'abord"_s, u"⟨l'⟩⟨␣⟩⟨abord⟩"_s);
    ligne("twice", u"d'abord,␣D'abord"_s, u"⟨d'abord⟩⟨,␣⟩⟨D'abord⟩"_s);

    // Hyphens: inverted pronouns, euphonic t, compound words.
    ligne("rendez-vous", u"rendez-vous"_s, u"⟨rendez⟩⟨-⟩⟨vous⟩"_s);
    ligne("arc-en-ciel", u"arc-en-ciel"_s, u"⟨arc-en-ciel⟩"_s);
    ligne("celle-là", u"celle-là"_s, u"⟨celle⟩⟨-⟩⟨là⟩"_s);
    ligne("dit-on", u"dit-on"_s, u"⟨dit-on⟩"_s);
    ligne("celui-ci", u"celui-ci"_s, u"⟨celui-ci⟩"_s);
    ligne("vas-y", u"vas-y"_s, u"⟨vas-y⟩"_s);
    ligne("lui-même", u"lui-même"_s, u"⟨lui-même⟩"_s);
    ligne("pronoun test is case-sensitive", u"dit-Elle"_s, u"⟨dit-Elle⟩"_s);
    ligne("tail -t", u"a-t"_s, u"⟨a⟩⟨-⟩⟨t⟩"_s);
    ligne("tail -e", u"x-e"_s, u"⟨x⟩⟨-⟩⟨e⟩"_s);
    ligne("trailing hyphen", u"grand-"_s, u"⟨grand⟩⟨-⟩⟨⟩"_s);
    ligne("lone hyphen", u"a␣-␣b"_s, u"⟨a⟩⟨␣⟩⟨⟩⟨-⟩⟨⟩⟨␣⟩⟨b⟩"_s);
    ligne("va-t-elle", u"va-t-elle"_s, u"⟨va⟩⟨-⟩⟨t⟩⟨-⟩⟨elle⟩"_s);
    ligne("-t-il alone", u"-t-il"_s, u"⟨⟩⟨-⟩⟨t⟩⟨-⟩⟨il⟩"_s);

    // The dialogue dash glued to its word.
    ligne("glued dash after a line break", u"Oui.⏎-Bonjour"_s, u"⟨Oui⟩⟨.⏎-⟩⟨Bonjour⟩"_s);
    ligne("glued dash needs three characters", u"⏎-a␣b"_s, u"⟨⏎⟩⟨-a⟩⟨␣⟩⟨b⟩"_s);
    ligne("dash then space", u"fin.↵⏎-␣Non"_s, u"⟨fin⟩⟨.⏎⟩⟨⟩⟨-⟩⟨⟩⟨␣⟩⟨Non⟩"_s);
    ligne("dash before a pronoun", u"fin.⏎-il␣part"_s,
          u"⟨fin⟩⟨.⏎⟩⟨⟩⟨-⟩⟨il⟩⟨␣⟩⟨part⟩"_s);
    ligne("glued dash at the start", u"-Bonjour,␣dit-il."_s,
          u"⟨-⟩⟨Bonjour⟩⟨,␣⟩⟨dit⟩⟨-⟩⟨il⟩⟨.⟩"_s);

    // Line ends, tabs.
    ligne("CR LF twice", u"un↵⏎↵⏎deux"_s, u"⟨un⟩⟨⏎⏎⟩⟨deux⟩"_s);
    ligne("CR alone", u"un↵deux"_s, u"⟨un⟩⟨deux⟩"_s);
    ligne("CRs only", u"↵↵"_s, QString());
    ligne("LF CR", u"a⏎↵b"_s, u"⟨a⟩⟨⏎⟩⟨b⟩"_s);
    ligne("CR LF at the end", u"fin.↵⏎"_s, u"⟨fin⟩⟨.⏎⟩"_s);
    ligne("space and tab", u"a␣⇥b"_s, u"⟨a⟩⟨␣␣␣␣␣⟩⟨b⟩"_s);
    ligne("tab after CR", u"a↵⇥b"_s, u"⟨a⟩⟨␣␣␣␣⟩⟨b⟩"_s);

    // Latin-1 letters outside the set split words.
    ligne("Ålborg", u"Ålborg"_s, u"⟨Ålborg⟩"_s);
    ligne("ålborg", u"ålborg"_s, u"⟨å⟩⟨lborg⟩"_s);
    ligne("Ø", u"Øre"_s, u"⟨Ø⟩⟨re⟩"_s);
    ligne("œ", u"œuvre"_s, u"⟨œ⟩⟨uvre⟩"_s);

    // The cap cuts before the other rules look at the word.
    ligne("30 letters", repete(u"abcde"_s, 6), u'⟨' + repete(u"abcde"_s, 5) + u'⟩');
    ligne("cap cuts the apostrophe", repete(u"a"_s, 30) + u"'b"_s,
          u'⟨' + repete(u"a"_s, 25) + u"⟩⟨␣⟩⟨b⟩"_s);
    ligne("cap leaves a hyphen", repete(u"a"_s, 24) + u"-il"_s,
          u'⟨' + repete(u"a"_s, 24) + u"⟩⟨-⟩⟨⟩"_s);
}

void TestDecoupe::jetons()
{
    QFETCH(QString, texte);
    QFETCH(QString, attendu);
    QCOMPARE(montre(decoupe(texte)), attendu);
}

// Exactly 122 Latin-1 characters are word characters; each one glues two
// letters into one token, any other character separates them.
void TestDecoupe::caracteresDeMot()
{
    int nombre = 0;
    QString separateurs;
    for (char16_t code = 0; code < 256; ++code) {
        const QString lettre(QChar{code});
        const QStringList jetons = decoupe(u'a' + lettre + u'b');
        if (jetons.first().startsWith(u'a' + lettre))
            ++nombre;
        else
            separateurs += lettre;
    }
    QCOMPARE(nombre, 122);
    for (QChar c : u"ØÞåø×÷«»!?.,;:\""_s)
        QVERIFY2(separateurs.contains(c), qPrintable(QString(c)));
    for (char16_t code : {0x2019, 0x0153, 0x0152, 0x20AC, 0x2014, 0x0100})
        QCOMPARE(decoupe(u'a' + QString(QChar{code}) + u'b').size(), 3);
}

void TestDecoupe::longMot()
{
    const QString texte = repete(u"x"_s, 40000);
    QCOMPARE(decoupe(texte), QStringList{repete(u"x"_s, 25)});
    QCOMPARE(decoupe(repete(u" "_s, 40000)), QStringList{repete(u" "_s, 40000)});
    QCOMPARE(decoupe(repete(u"'"_s, 40000)).size(), 80000);
}

// A long class text cuts the same way in every paragraph.
void TestDecoupe::longTexte()
{
    const QString paragraphe = texteDe(
        u"L'enfant␣dit-il␣:␣«␣Bonjour␣»,␣puis␣part␣d'abord.↵⏎-Oui␣!␣Quelqu'un⇥vient.↵⏎"_s);
    const QStringList unParagraphe = decoupe(paragraphe);
    QCOMPARE(montre(unParagraphe),
             u"⟨L'⟩⟨␣⟩⟨enfant⟩⟨␣⟩⟨dit⟩⟨-⟩⟨il⟩⟨␣:␣«␣⟩⟨Bonjour⟩⟨␣»,␣⟩⟨puis⟩⟨␣⟩"_s
             u"⟨part⟩⟨␣⟩⟨d'abord⟩⟨.⏎-⟩⟨Oui⟩⟨␣!␣⟩⟨Quelqu'un⟩⟨␣␣␣␣⟩⟨vient⟩⟨.⏎⟩"_s);

    const int fois = 40000 / int(paragraphe.size()) + 1;
    QStringList attendu;
    for (int i = 0; i < fois; ++i)
        attendu += unParagraphe;
    const QStringList jetons = decoupe(repete(paragraphe, fois));
    QVERIFY(paragraphe.size() * fois > 32767);
    QCOMPARE(jetons.size(), attendu.size());
    QCOMPARE(jetons, attendu);
}

QTEST_GUILESS_MAIN(TestDecoupe)
#include "test_decoupe.moc"
