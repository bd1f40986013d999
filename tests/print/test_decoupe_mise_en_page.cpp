// The pure print core: the French word splitter, then the page layout on a
// fixed-pitch face (one column a character).
//
// Texts use visible marks: ␣ a space, ⏎ a line feed, ↵ a carriage return,
// ⇥ a tab. Tokens stand each between ⟨ and ⟩. A page reads line by line as
// "line:column text", "@column" where a fragment does not follow on from the
// one before, with "page|" in front from the second page on.

#include "print/decoupe.h"
#include "print/mise_en_page.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QString enClair(QStringView s)
{
    return s.toString().replace(u'␣', u' ').replace(u'⏎', u'\n').replace(u'↵', u'\r')
        .replace(u'⇥', u'\t');
}

QString visible(QString s)
{
    return s.replace(u' ', u'␣').replace(u'\n', u'⏎').replace(u'\r', u'↵').replace(u'\t', u'⇥');
}

// Lines above the text (header, rule as _×N) only with `tout`.
QString papier(const QList<FragmentImprime> &fragments, bool tout)
{
    QStringList lignes;
    int page = -1, ligne = -1;
    double fin = 0;
    for (const FragmentImprime &f : fragments) {
        if (!tout && f.ligne < 5)
            continue;
        if (f.page != page || f.ligne != ligne)
            lignes << (f.page ? QString::number(f.page) + u'|' : QString())
                    + u"%1:%2 "_s.arg(f.ligne).arg(f.colonne);
        else if (f.colonne != fin)
            lignes.last() += u'@' + QString::number(f.colonne);
        lignes.last() += f.ligne == 2 && f.texte == QString(f.texte.size(), u'_')
            ? u"_×"_s + QString::number(f.texte.size()) : visible(f.texte);
        page = f.page, ligne = f.ligne, fin = f.colonne + f.texte.size();
    }
    return lignes.join(u' ');
}

const auto chasseFixe = [](const QString &s) { return double(s.size()); };

// Without a page height, pages are endless and only the text lines shown;
// at width 20 a word may not reach column 15.
struct Cas { const char16_t *entree, *attendu; int lignesParPage = 0; double largeur = 20; };

const Cas decoupes[] = {
    {u"", u""},
    // Which characters glue: not Ø or å (the class keyboard lacks them), the
    // typographic apostrophe nor anything else past Latin-1.
    {u"␣Ålborg␣på␣Øre,␣ça␣œuvre␣l’an␣12", u"⟨␣⟩⟨Ålborg⟩⟨␣⟩⟨p⟩⟨å␣Ø⟩⟨re⟩⟨,␣⟩⟨ça⟩⟨␣œ⟩⟨uvre⟩⟨␣⟩⟨l⟩⟨’⟩⟨an⟩⟨␣⟩⟨12⟩"},
    // Elision: the apostrophe stays on the word, a space stands for it after.
    {u"l'homme␣l'␣homme␣jusqu'à", u"⟨l'⟩⟨␣⟩⟨homme⟩⟨␣⟩⟨l'⟩⟨␣␣⟩⟨homme⟩⟨␣⟩⟨jusqu'⟩⟨␣⟩⟨à⟩"},
    {u"Quelqu'un␣vient␣AUJOURD'HUI", u"⟨Quelqu'un⟩⟨␣⟩⟨vient⟩⟨␣⟩⟨AUJOURD'HUI⟩"},
    {u"xquelqu'un", u"⟨xquelqu'⟩⟨␣⟩⟨un⟩"},
    {u"quelqu'", u"⟨quelqu'⟩⟨␣⟩"},
    // "d'abord" is one word, whatever the case of its D.
    {u"D'abord,␣il␣part␣d'abord.", u"⟨D'abord⟩⟨,␣⟩⟨il⟩⟨␣⟩⟨part⟩⟨␣⟩⟨d'abord⟩⟨.⟩"},
    {u"d'␣abord", u"⟨d'abord⟩"},
    {u"d'Abord␣d'abordage␣l'abord", u"⟨d'⟩⟨␣⟩⟨Abord⟩⟨␣⟩⟨d'⟩⟨␣⟩⟨abordage⟩⟨␣⟩⟨l'⟩⟨␣⟩⟨abord⟩"},
    {u"␣abord", u"⟨␣⟩⟨abord⟩"},
    // Inverted pronouns and "-t-" split off, compound words stay whole.
    {u"Viens-tu␣?␣a-t-il", u"⟨Viens⟩⟨-⟩⟨tu⟩⟨␣?␣⟩⟨a⟩⟨-⟩⟨t⟩⟨-⟩⟨il⟩"},
    {u"peut-être␣arc-en-ciel␣grand-", u"⟨peut-être⟩⟨␣⟩⟨arc-en-ciel⟩⟨␣⟩⟨grand⟩⟨-⟩⟨⟩"},
    // A dialogue dash glued to its word goes to the separator before it.
    {u"fin.↵⏎-Non,␣dit-elle.", u"⟨fin⟩⟨.⏎-⟩⟨Non⟩⟨,␣⟩⟨dit⟩⟨-⟩⟨elle⟩⟨.⟩"},
    {u"-Bonjour␣-t-il", u"⟨-⟩⟨Bonjour⟩⟨␣⟩⟨⟩⟨-⟩⟨t⟩⟨-⟩⟨il⟩"},
    {u"⏎-a␣b", u"⟨⏎⟩⟨-a⟩⟨␣⟩⟨b⟩"},
    {u"fin.⏎-il␣part.↵⏎-␣Non", u"⟨fin⟩⟨.⏎⟩⟨⟩⟨-⟩⟨il⟩⟨␣⟩⟨part⟩⟨.⏎⟩⟨⟩⟨-⟩⟨⟩⟨␣⟩⟨Non⟩"},
    {u"un↵⏎↵⏎deux↵trois⇥quatre", u"⟨un⟩⟨⏎⏎⟩⟨deux⟩⟨trois⟩⟨␣␣␣␣⟩⟨quatre⟩"},
    // Words are cut at 25 characters before the other rules look at them.
    {u"abcdefghijklmnopqrstuvwxyz", u"⟨abcdefghijklmnopqrstuvwxy⟩"},
    {u"abcdefghijklmnopqrstuvwxyz'b", u"⟨abcdefghijklmnopqrstuvwxy⟩⟨␣⟩⟨b⟩"},
};

// Pupils' texts, split then laid out.
const Cas pages[] = {
    {u"Il␣part.", u"5:1 Il␣part."},
    // However many line feeds, one line step; a line starts with its text.
    {u"fin.⏎␣␣⏎␣Oui", u"5:1 fin. 7:1 Oui"},
    {u"fin.⏎(oui)", u"5:1 fin. 7:1 (oui)"},
    // A punctuated separator that reaches the limit ends the line; its last
    // two characters open the next one at the very edge, the text at 3.
    {u"aaaaaaaaa␣:␣«␣Oui", u"5:1 aaaaaaaaa␣:␣ 7:0 «␣@3Oui"},
    {u"aaaaaaaa␣:␣«␣Oui", u"5:1 aaaaaaaa␣:␣«␣ 7:1 Oui"},
    {u"aaaaaaaaaaaa.«Oui", u"5:1 aaaaaaaaaaaa. 7:0 «@3Oui"},
    {u"␣:␣«␣Oui", u"5:1 ␣:␣«␣ 7:1 Oui", 0, 6},
    // A line feed that does not touch the guillemet is lost.
    {u"Oui␣».⏎Il", u"5:1 Oui␣».Il"},
    // A line feed then a guillemet: a straight quote at 1, the text at 3.
    {u"Il␣dit␣:⏎«␣Oui␣»", u"5:1 Il␣dit␣: 7:1 \"@3Oui␣»"},
    {u"a.⏎«(b", u"5:1 a. 7:1 \"@3(b"},
    {u"a␣«⏎»␣b", u"5:1 a␣« 7:1 \"@3b"},
    // « then a line feed: « itself opens the next line.
    {u"a.⏎«⏎b", u"5:1 a. 7:1 «@3b"},
    // » then a line feed: » ends its line.
    {u"Oui␣»⏎␣(Il)", u"5:1 Oui␣» 7:1 (Il)"},
    // A line feed then a dialogue dash: the dash at 1, the text at 3.
    {u"fin⏎⏎-Non", u"5:1 fin 7:1 -@3Non"},
    {u"Oui␣»⏎-Non", u"5:1 Oui␣» 7:1 -@3Non"},
    {u"fin.⏎-␣Non", u"5:1 fin. 7:1 -␣Non"},
    // A token that would reach the limit goes to the next line, except the
    // single space, punctuation (an elided word too) and line feeds.
    {u"aaaaaaaaaaa␣bb", u"5:1 aaaaaaaaaaa␣ 7:1 bb"},
    {u"aaaaaaaaaa␣bb", u"5:1 aaaaaaaaaa␣bb"},
    {u"aaaaaaaaaaaaa␣b", u"5:1 aaaaaaaaaaaaa␣ 7:1 b"},
    {u"aaaaaaaaaaa␣␣␣b", u"5:1 aaaaaaaaaaa 7:1 ␣␣␣b"},
    {u"aaaaaaaaaaa␣l'homme", u"5:1 aaaaaaaaaaa␣l'␣ 7:1 homme"},
    {u"aaaaaaaaaaaa⏎⏎⏎⏎b", u"5:1 aaaaaaaaaaaa 7:1 b"},
    {u"a␣bbbbbbbbbbbbbbbb␣c", u"5:1 a␣ 7:1 bbbbbbbbbbbbbbbb␣ 9:1 c"},
    // Each page has the header at column 5 of line 1 and the rule on line 2,
    // text down to its last whole line; a page is begun when printed on.
    {u"Un⏎Deux⏎Trois⏎Quatre", u"1:5 T 2:0 _×20 5:1 Un 7:1 Deux 9:1 Trois "
                             u"1|1:5 T 1|2:0 _×20 1|5:1 Quatre", 10},
    {u"Un⏎Deux⏎Trois⏎Quatre", u"1:5 T 2:0 _×20 5:1 Un 7:1 Deux "
                             u"1|1:5 T 1|2:0 _×20 1|5:1 Trois 1|7:1 Quatre", 9},
    {u"Un⏎bbbbbbbbbbbbbbbb", u"1:5 T 2:0 _×20 5:1 Un 1|1:5 T 1|2:0 _×20 1|5:1 bbbbbbbbbbbbbbbb", 6},
    // Too short for line 5, a page still takes one line of text.
    {u"Un⏎Deux.⏎", u"1:5 T 2:0 _×20 5:1 Un 1|1:5 T 1|2:0 _×20 1|5:1 Deux.", 3},
};

} // namespace

class TestDecoupeMiseEnPage : public QObject
{
    Q_OBJECT

private slots:
    void decoupe()
    {
        for (const Cas &c : decoupes) {
            QString jetons;
            for (const QString &j : ::decoupe(enClair(c.entree)))
                jetons += u'⟨' + visible(j) + u'⟩';
            QCOMPARE(jetons, QStringView(c.attendu).toString());
        }
    }

    void miseEnPage()
    {
        for (const Cas &c : pages) {
            const int lignes = c.lignesParPage ? c.lignesParPage : 1000;
            QCOMPARE(papier(::miseEnPage(::decoupe(enClair(c.entree)), c.largeur, lignes, u"T"_s,
                                         chasseFixe), c.lignesParPage > 0),
                     QStringView(c.attendu).toString());
        }
    }

    // Tokens the splitter never makes: a carriage return is not drawn either.
    void retourChariot()
    {
        QCOMPARE(papier(::miseEnPage({u"Un"_s, u"\r"_s, u"Deux"_s}, 20, 60, {}, chasseFixe), false),
                 u"5:1 UnDeux"_s);
    }

    // The rule spans the printable width rounded half to even; an empty
    // header draws nothing.
    void trait()
    {
        const std::pair<double, QString> traits[] = {
            {80.5, u"2:0 _×80"_s}, {81.5, u"2:0 _×82"_s}, {80.51, u"2:0 _×81"_s}, {0.4, {}}};
        for (const auto &[largeur, attendu] : traits)
            QCOMPARE(papier(::miseEnPage({}, largeur, 60, {}, chasseFixe), true), attendu);
    }

    // Columns follow the printed width, but the room test counts characters
    // (width 12: nothing may reach column 7).
    void largeurMesuree()
    {
        const auto demi = [](const QString &s) { return s.size() / 2.0; };
        QCOMPARE(papier(::miseEnPage(::decoupe(u"aaaa bbb cc"), 12, 60, {}, demi), false),
                 u"5:1 aaaa@3␣@3.5bbb@5␣ 7:1 cc"_s);
    }
};

QTEST_APPLESS_MAIN(TestDecoupeMiseEnPage)
#include "test_decoupe_mise_en_page.moc"
