#include "print/decoupe.h"
#include "print/mise_en_page.h"

#include <QtTest>

#include <map>

using namespace Qt::StringLiterals;

namespace {

// One column per character: what a fixed-pitch face gives.
double chasseFixe(const QString &texte)
{
    return double(texte.size());
}

QString visible(QString texte)
{
    return texte.replace(u' ', u'␣').replace(u'\n', u'⏎');
}

QString enClair(QString notation)
{
    return notation.replace(u'␣', u' ').replace(u'⏎', u'\n').replace(u'↵', u'\r');
}

// "⟨Il⟩⟨␣⟩⟨part⟩" as a token list.
QStringList jetons(const QString &notation)
{
    QStringList liste;
    for (const QString &morceau : notation.split(u'⟩', Qt::SkipEmptyParts))
        liste << enClair(morceau.mid(1));
    return liste;
}

QString lettres(char16_t lettre, int fois)
{
    return QString(fois, QChar{lettre});
}

// "[ligne,colonne]texte", with the page in front from the second page on and
// the rule shortened to "_×N". The header and the rule are left out unless
// asked for.
QString montre(const QList<FragmentImprime> &fragments, bool avecEntete = false)
{
    QStringList rendu;
    for (const FragmentImprime &f : fragments) {
        if (f.ligne < 5 && !avecEntete)
            continue;
        const QString texte = f.ligne == 2 && f.texte.count(u'_') == f.texte.size()
            ? u"_×"_s + QString::number(f.texte.size())
            : visible(f.texte);
        const QString page = f.page > 0 ? QString::number(f.page) + u':' : QString();
        rendu << u'[' + page + QString::number(f.ligne) + u',' + QString::number(f.colonne)
                + u']' + texte;
    }
    return rendu.join(u' ');
}

QList<FragmentImprime> mettreEnPage(const QString &notation, double largeur,
                                    int lignesParPage = 1000,
                                    const QString &entete = u"T"_s)
{
    return miseEnPage(jetons(notation), largeur, lignesParPage, entete, chasseFixe);
}

// The first page as a fixed-pitch printout: "ligne| text", blank lines left
// out, trailing blanks trimmed.
QString papier(const QList<FragmentImprime> &fragments)
{
    std::map<int, QString> lignes;
    for (const FragmentImprime &f : fragments) {
        if (f.page != 0 || f.ligne < 5)
            continue;
        QString &ligne = lignes[f.ligne];
        const int colonne = int(f.colonne);
        if (ligne.size() < colonne + f.texte.size())
            ligne.resize(colonne + f.texte.size(), u' ');
        ligne.replace(colonne, f.texte.size(), f.texte);
    }
    QStringList rendu;
    for (auto &[numero, ligne] : lignes) {
        while (ligne.endsWith(u' '))
            ligne.chop(1);
        rendu << QString::number(numero) + u'|' + ligne;
    }
    return rendu.join(u'\n');
}

} // namespace

class TestMiseEnPage : public QObject
{
    Q_OBJECT

private slots:
    void cas_data();
    void cas();
    void pages_data();
    void pages();
    void papier_data();
    void papier();
    void trait_data();
    void trait();
    void entete();
    void largeurMesuree();
    void sansJetons();
};

void TestMiseEnPage::cas_data()
{
    QTest::addColumn<double>("largeur");
    QTest::addColumn<QString>("jetons");
    QTest::addColumn<QString>("attendu");

    // Width 30: the right limit W is 25.
    auto ligne = [](const char *nom, const QString &notation, const QString &attendu,
                    double largeur = 30) {
        QTest::newRow(nom) << largeur << notation << attendu;
    };
    const QString a18 = lettres(u'a', 18), a19 = lettres(u'a', 19), a20 = lettres(u'a', 20),
                  a22 = lettres(u'a', 22), a23 = lettres(u'a', 23), a24 = lettres(u'a', 24),
                  b30 = lettres(u'b', 30);

    // Case 0.
    ligne("words", u"⟨Il⟩⟨␣⟩⟨part⟩⟨.⟩"_s, u"[5,1]Il [5,3]␣ [5,4]part [5,8]."_s);
    ligne("paragraphs", u"⟨Un⟩⟨.⏎⏎⟩⟨Deux⟩"_s, u"[5,1]Un [5,3]. [7,1]Deux"_s);
    ligne("line feed alone", u"⟨Un⟩⟨⏎⟩⟨Deux⟩"_s, u"[5,1]Un [7,1]Deux"_s);
    ligne("mark after the line feed", u"⟨fin⟩⟨.⏎(⟩⟨oui⟩⟨)⟩"_s,
          u"[5,1]fin [5,4]. [7,1]( [7,2]oui [7,5])"_s);
    ligne("spaces after the line feed", u"⟨fin⟩⟨.⏎␣␣␣⟩⟨Oui⟩"_s, u"[5,1]fin [5,4]. [7,1]Oui"_s);
    ligne("blank line with spaces", u"⟨fin⟩⟨.⏎␣␣⏎⟩⟨Oui⟩"_s, u"[5,1]fin [5,4]. [7,1]Oui"_s);

    // Case 1: split only when the token holds punctuation and reaches W.
    ligne("hyphen", u"⟨Viens⟩⟨-⟩⟨tu⟩⟨␣?⟩"_s, u"[5,1]Viens [5,6]- [5,7]tu [5,9]␣?"_s);
    ligne("guillemet that fits", u"⟨aaaaaaaaaa⟩⟨␣:␣«␣⟩⟨Oui⟩"_s,
          u"[5,1]aaaaaaaaaa [5,11]␣:␣«␣ [5,16]Oui"_s);
    ligne("guillemet split", u'⟨' + a20 + u"⟩⟨␣:␣«␣⟩⟨Oui⟩"_s,
          u"[5,1]"_s + a20 + u" [5,21]␣:␣ [7,0]«␣ [7,3]Oui"_s);
    ligne("split on reaching W", u'⟨' + a19 + u"⟩⟨␣:␣«␣⟩⟨Oui⟩"_s,
          u"[5,1]"_s + a19 + u" [5,20]␣:␣ [7,0]«␣ [7,3]Oui"_s);
    ligne("one short of W", u'⟨' + a18 + u"⟩⟨␣:␣«␣⟩⟨Oui⟩"_s,
          u"[5,1]"_s + a18 + u" [5,19]␣:␣«␣ [7,1]Oui"_s);
    ligne("no punctuation, no split", u'⟨' + a20 + u"⟩⟨␣«␣⟩⟨Oui⟩"_s,
          u"[5,1]"_s + a20 + u" [5,21]␣«␣ [7,1]Oui"_s);
    ligne("two-character split", u'⟨' + a23 + u"⟩⟨.«⟩⟨Oui⟩"_s,
          u"[5,1]"_s + a23 + u" [5,24]. [7,0]« [7,3]Oui"_s);
    ligne("line feed apart from the guillemet", u"⟨dit⟩⟨:⏎␣«␣⟩⟨Bonjour⟩"_s,
          u"[5,1]dit [5,4]:␣«␣ [5,8]Bonjour"_s);
    ligne("guillemet, full stop, line feed", u"⟨Oui⟩⟨␣».⏎⟩⟨Il⟩"_s,
          u"[5,1]Oui [5,4]␣». [5,7]Il"_s);
    ligne("first token never splits", u"⟨␣:␣«␣⟩⟨Oui⟩"_s, u"[5,1]␣:␣«␣ [7,1]Oui"_s, 6);

    // Case 2 and 4: a straight double quote at column 1, text from column 3.
    ligne("line feed then «", u"⟨Il⟩⟨␣⟩⟨dit⟩⟨␣:⏎«␣⟩⟨Oui⟩⟨␣»⟩"_s,
          u"[5,1]Il [5,3]␣ [5,4]dit [5,7]␣: [7,1]\" [7,3]Oui [7,6]␣»"_s);
    ligne("more after «", u"⟨a⟩⟨.⏎«␣(⟩⟨b⟩"_s, u"[5,1]a [5,2]. [7,1]\" [7,3]( [7,4]b"_s);
    ligne("« opens the text", u"⟨⏎«␣⟩⟨Oui⟩"_s, u"[7,1]\" [7,3]Oui"_s);
    ligne("line feed then »", u"⟨Oui⟩⟨.⏎»␣⟩⟨Non⟩"_s, u"[5,1]Oui [5,4]. [7,1]\" [7,3]Non"_s);
    ligne("case 4 beats case 3", u"⟨a⟩⟨␣«⏎»␣⟩⟨b⟩"_s, u"[5,1]a [5,2]␣« [7,1]\" [7,3]b"_s);

    // Case 3: « at column 1, text from column 3.
    ligne("« then line feed", u"⟨Il⟩⟨␣⟩⟨dit⟩⟨:␣«⏎⟩⟨Oui⟩"_s,
          u"[5,1]Il [5,3]␣ [5,4]dit [5,7]:␣ [7,1]« [7,3]Oui"_s);
    ligne("« printed once", u"⟨dit⟩⟨␣«⏎⟩⟨Oui⟩"_s, u"[5,1]dit [5,4]␣ [7,1]« [7,3]Oui"_s);
    ligne("case 3 beats case 2", u"⟨a⟩⟨.⏎«⏎⟩⟨b⟩"_s, u"[5,1]a [5,2]. [7,1]« [7,3]b"_s);

    // Case 5: » ends its line.
    ligne("» then line feed", u"⟨Oui⟩⟨␣»⏎⟩⟨Il⟩"_s, u"[5,1]Oui [5,4]␣» [7,1]Il"_s);
    ligne("more after »", u"⟨Oui⟩⟨␣»⏎(⟩⟨Il⟩⟨)⟩"_s, u"[5,1]Oui [5,4]␣» [7,1]( [7,2]Il [7,4])"_s);

    // Case 6: the dialogue dash at column 1, text from column 3.
    ligne("full stop then glued dash", u"⟨fin⟩⟨.⏎-⟩⟨Non⟩"_s, u"[5,1]fin [5,4]. [7,1]- [7,3]Non"_s);
    ligne("colon then glued dash", u"⟨dit⟩⟨␣:⏎-⟩⟨Non⟩"_s, u"[5,1]dit [5,4]␣: [7,1]- [7,3]Non"_s);
    ligne("empty line then glued dash", u"⟨fin⟩⟨.⏎⏎-⟩⟨Non⟩"_s,
          u"[5,1]fin [5,4]. [7,1]- [7,3]Non"_s);
    ligne("case 6 beats case 5", u"⟨Oui⟩⟨␣»⏎-⟩⟨Non⟩"_s, u"[5,1]Oui [5,4]␣» [7,1]- [7,3]Non"_s);
    ligne("dash then space", u"⟨fin⟩⟨.⏎⟩⟨⟩⟨-⟩⟨⟩⟨␣⟩⟨Non⟩"_s,
          u"[5,1]fin [5,4]. [7,1]- [7,2]␣ [7,3]Non"_s);

    // The width test on the next token.
    ligne("word moved", u'⟨' + a20 + u"⟩⟨␣⟩⟨bbbbb⟩"_s, u"[5,1]"_s + a20 + u" [5,21]␣ [7,1]bbbbb"_s);
    ligne("word reaching W moved", u'⟨' + a20 + u"⟩⟨␣⟩⟨bbb⟩"_s,
          u"[5,1]"_s + a20 + u" [5,21]␣ [7,1]bbb"_s);
    ligne("word short of W stays", u'⟨' + a20 + u"⟩⟨␣⟩⟨bb⟩"_s,
          u"[5,1]"_s + a20 + u" [5,21]␣ [5,22]bb"_s);
    ligne("single space stays", u'⟨' + a24 + u"⟩⟨␣⟩⟨b⟩"_s, u"[5,1]"_s + a24 + u" [5,25]␣ [7,1]b"_s);
    ligne("spaces moved", u'⟨' + a22 + u"⟩⟨␣␣␣⟩⟨b⟩"_s, u"[5,1]"_s + a22 + u" [7,1]␣␣␣ [7,4]b"_s);
    ligne("punctuation into the reserve", u'⟨' + a23 + u"⟩⟨␣!⟩"_s, u"[5,1]"_s + a23 + u" [5,24]␣!"_s);
    ligne("elided word not moved", u'⟨' + a22 + u"⟩⟨␣⟩⟨l'⟩⟨␣⟩⟨homme⟩"_s,
          u"[5,1]"_s + a22 + u" [5,23]␣ [5,24]l' [5,26]␣ [7,1]homme"_s);
    ligne("line feed not moved", u'⟨' + a23 + u"⟩⟨⏎⏎⏎⏎⏎⏎⟩⟨b⟩"_s, u"[5,1]"_s + a23 + u" [7,1]b"_s);
    ligne("word longer than a line", u"⟨a⟩⟨␣⟩⟨"_s + b30 + u"⟩⟨␣⟩⟨c⟩"_s,
          u"[5,1]a [5,2]␣ [7,1]"_s + b30 + u" [7,31]␣ [9,1]c"_s);
    ligne("long first word", u'⟨' + b30 + u"⟩⟨.⟩"_s, u"[5,1]"_s + b30 + u" [5,31]."_s);
}

void TestMiseEnPage::cas()
{
    QFETCH(double, largeur);
    QFETCH(QString, jetons);
    QFETCH(QString, attendu);
    QCOMPARE(montre(mettreEnPage(jetons, largeur)), attendu);
}

void TestMiseEnPage::pages_data()
{
    QTest::addColumn<int>("lignesParPage");
    QTest::addColumn<QString>("entete");
    QTest::addColumn<QString>("jetons");
    QTest::addColumn<QString>("attendu");

    const QString a20 = lettres(u'a', 20), b30 = lettres(u'b', 30);
    const QString page0 = u"[1,5]T [2,0]_×30 "_s, page1 = u"[1:1,5]T [1:2,0]_×30 "_s;
    const QString paragraphes = u"⟨Un⟩⟨⏎⟩⟨Deux⟩⟨⏎⟩⟨Trois⟩⟨⏎⟩⟨Quatre⟩"_s;

    QTest::newRow("line 9 fits in 10") << 10 << u"T"_s << paragraphes
        << page0 + u"[5,1]Un [7,1]Deux [9,1]Trois "_s + page1 + u"[1:5,1]Quatre"_s;
    QTest::newRow("line 9 does not fit in 9") << 9 << u"T"_s << paragraphes
        << page0 + u"[5,1]Un [7,1]Deux "_s + page1 + u"[1:5,1]Trois [1:7,1]Quatre"_s;
    QTest::newRow("dialogue keeps its columns") << 8 << u"T"_s << u"⟨Un⟩⟨⏎⟩⟨Deux⟩⟨.⏎-⟩⟨Non⟩"_s
        << page0 + u"[5,1]Un [7,1]Deux [7,5]. "_s + page1 + u"[1:5,1]- [1:5,3]Non"_s;
    QTest::newRow("guillemet split") << 6 << u"T"_s << u'⟨' + a20 + u"⟩⟨␣:␣«␣⟩⟨Oui⟩"_s
        << page0 + u"[5,1]"_s + a20 + u" [5,21]␣:␣ "_s + page1 + u"[1:5,0]«␣ [1:5,3]Oui"_s;
    QTest::newRow("word moved") << 6 << u"T"_s << u'⟨' + a20 + u"⟩⟨␣⟩⟨bbbbb⟩"_s
        << page0 + u"[5,1]"_s + a20 + u" [5,21]␣ "_s + page1 + u"[1:5,1]bbbbb"_s;
    QTest::newRow("no empty page at the end") << 6 << u"T"_s << u"⟨Un⟩⟨.⏎⟩"_s
        << page0 + u"[5,1]Un [5,3]."_s;
    QTest::newRow("steps on an unbegun page stay on it") << 6 << u"T"_s
        << u"⟨Un⟩⟨⏎⟩⟨"_s + b30 + u'⟩' << page0 + u"[5,1]Un "_s + page1 + u"[1:5,1]"_s + b30;
    QTest::newRow("page too short") << 3 << u"T"_s << u"⟨Un⟩⟨⏎⟩⟨Deux⟩⟨⏎⟩⟨Trois⟩"_s
        << page0 + u"[5,1]Un "_s + page1 + u"[1:5,1]Deux [2:1,5]T [2:2,0]_×30 [2:5,1]Trois"_s;
    QTest::newRow("empty header") << 6 << QString() << u"⟨Un⟩⟨⏎⟩⟨Deux⟩"_s
        << u"[2,0]_×30 [5,1]Un [1:2,0]_×30 [1:5,1]Deux"_s;
}

void TestMiseEnPage::pages()
{
    QFETCH(int, lignesParPage);
    QFETCH(QString, entete);
    QFETCH(QString, jetons);
    QFETCH(QString, attendu);
    QCOMPARE(montre(mettreEnPage(jetons, 30, lignesParPage, entete), true), attendu);
}

// From the pupil's text to the paper, through the splitter.
void TestMiseEnPage::papier_data()
{
    QTest::addColumn<QString>("texte");
    QTest::addColumn<double>("largeur");
    QTest::addColumn<QString>("attendu");

    QTest::newRow("one word") << u"Bonjour"_s << 30.0 << u"5| Bonjour"_s;
    QTest::newRow("two paragraphs") << u"Un␣texte.↵⏎↵⏎Le␣second."_s << 30.0
        << u"5| Un texte.\n7| Le second."_s;
    QTest::newRow("dialogue") << u"Il␣dit.↵⏎-Bonjour,␣dit-elle.↵⏎-Oui␣!"_s << 40.0
        << u"5| Il dit.\n7| - Bonjour, dit-elle.\n9| - Oui !"_s;
    QTest::newRow("dash and space") << u"Il␣dit.↵⏎-␣Oui."_s << 30.0
        << u"5| Il dit.\n7| - Oui."_s;
    QTest::newRow("guillemets") << u"Il␣dit␣:↵⏎«␣Viens␣!␣»↵⏎Puis␣il␣part."_s << 30.0
        << u"5| Il dit :\n7| \" Viens ! »\n9| Puis il part."_s;
    QTest::newRow("wrapping") << u"Le␣chat␣mange␣la␣souris␣grise."_s << 20.0
        << u"5| Le chat mange\n7| la souris\n9| grise."_s;
    QTest::newRow("guillemet at the end of a line") << u"Il␣dit␣alors␣:␣«␣Oui␣»."_s << 20.0
        << u"5| Il dit alors :\n7|«  Oui »."_s;
}

void TestMiseEnPage::papier()
{
    QFETCH(QString, texte);
    QFETCH(double, largeur);
    QFETCH(QString, attendu);
    const QStringList listemot = decoupe(enClair(texte));
    QCOMPARE(::papier(miseEnPage(listemot, largeur, 1000, QString(), chasseFixe)), attendu);
}

void TestMiseEnPage::trait_data()
{
    QTest::addColumn<double>("largeur");
    QTest::addColumn<int>("longueur");

    QTest::newRow("80") << 80.0 << 80;
    QTest::newRow("80.5 to even") << 80.5 << 80;
    QTest::newRow("81.5 to even") << 81.5 << 82;
    QTest::newRow("80.49") << 80.49 << 80;
    QTest::newRow("80.51") << 80.51 << 81;
    QTest::newRow("2.5") << 2.5 << 2;
    QTest::newRow("1.5") << 1.5 << 2;
    QTest::newRow("0.5") << 0.5 << 0;
    QTest::newRow("none") << 0.0 << 0;
}

void TestMiseEnPage::trait()
{
    QFETCH(double, largeur);
    QFETCH(int, longueur);
    const QString regle = longueur > 0 ? u"[2,0]_×"_s + QString::number(longueur) + u' '
                                       : QString();
    QCOMPARE(montre(miseEnPage({u"Oui"_s}, largeur, 1000, QString(), chasseFixe), true),
             regle + u"[5,1]Oui"_s);
}

void TestMiseEnPage::entete()
{
    QCOMPARE(montre(miseEnPage({u"Oui"_s}, 10, 1000, u"Mon texte"_s, chasseFixe), true),
             u"[1,5]Mon␣texte [2,0]_×10 [5,1]Oui"_s);
    QCOMPARE(montre(miseEnPage({u"Oui"_s}, 10, 1000, u"Un\ndeux"_s, chasseFixe), true),
             u"[1,5]Undeux [2,0]_×10 [5,1]Oui"_s);
}

// The layout follows the printed width, but the room test counts characters.
void TestMiseEnPage::largeurMesuree()
{
    const auto demiChasse = [](const QString &t) { return t.size() / 2.0; };
    const QList<FragmentImprime> court =
        miseEnPage(jetons(u"⟨aaaa⟩⟨␣⟩⟨bb⟩"_s), 30, 1000, QString(), demiChasse);
    QCOMPARE(montre(court), u"[5,1]aaaa [5,3]␣ [5,3.5]bb"_s);

    const QString a40 = lettres(u'a', 40);
    const QList<FragmentImprime> long_ =
        miseEnPage(jetons(u'⟨' + a40 + u"⟩⟨␣⟩⟨bbbb⟩"_s), 30, 1000, QString(), demiChasse);
    QCOMPARE(montre(long_), u"[5,1]"_s + a40 + u" [5,21]␣ [7,1]bbbb"_s);
}

void TestMiseEnPage::sansJetons()
{
    QCOMPARE(montre(miseEnPage({}, 3, 1000, u"T"_s, chasseFixe), true),
             u"[1,5]T [2,0]_×3"_s);
}

QTEST_GUILESS_MAIN(TestMiseEnPage)
#include "test_mise_en_page.moc"
