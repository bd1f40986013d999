// The pure print core: the French word splitter, then the page layout on a
// fixed-pitch face (one column a character).
//
// Texts use visible marks: ␣ a space, ⏎ a line feed, ↵ a carriage return,
// ⇥ a tab. Tokens stand each between ⟨ and ⟩. A page reads line by line as
// "line:column text", "@column" where a fragment does not follow on from the
// one before, with "page|" in front from the second page on.

#include "base/print/decoupe.h"
#include "base/print/mise_en_page.h"

#include <QtTest>

using namespace Qt::StringLiterals;

namespace {

QString enClair(QStringView s)
{
    return s.toString().replace(u'␣', u' ').replace(u'⏎', u'\n').replace(u'↵', u'\r').replace(u'⇥', u'\t');
}

QString visible(QString s)
{
    return s.replace(u' ', u'␣').replace(u'\n', u'⏎').replace(u'\r', u'↵').replace(u'\t', u'⇥');
}

// Lines above the text (header, rule as _×N) only with `tout`.
QString papier(const QList<FragmentImprime> &fragments, bool tout)
{
    QStringList lignes;
    const FragmentImprime *avant = nullptr;
    for (const FragmentImprime &f : fragments) {
        if (!tout && f.ligne < 5)
            continue;
        if (!avant || f.page != avant->page || f.ligne != avant->ligne)
            lignes << (f.page ? QString::number(f.page) + u'|' : QString())
                    + u"%1:%2 "_s.arg(f.ligne).arg(f.colonne);
        else if (f.colonne != avant->colonne + avant->texte.size())
            lignes.last() += u'@' + QString::number(f.colonne);
        lignes.last() += f.ligne == 2 && f.texte == QString(f.texte.size(), u'_')
            ? u"_×"_s + QString::number(f.texte.size()) : visible(f.texte);
        avant = &f;
    }
    return lignes.join(u' ');
}

const auto chasseFixe = [](const QString &s) { return double(s.size()); };

// Endless pages show only the text lines; at width 20 a word may not reach
// column 15.
struct Cas { QStringView entree, attendu; int lignesParPage = 1000; double largeur = 20; };

const Cas decoupes[] = {
    {u"", u""},
    // Which characters glue: not Ø or å (the class keyboard lacks them), the
    // typographic apostrophe nor anything else past Latin-1.
    {u"␣Ålborg␣på␣Øre,␣ça␣œuvre␣l’an␣12", u"⟨␣⟩⟨Ålborg⟩⟨␣⟩⟨p⟩⟨å␣Ø⟩⟨re⟩⟨,␣⟩⟨ça⟩⟨␣œ⟩⟨uvre⟩⟨␣⟩⟨l⟩⟨’⟩⟨an⟩⟨␣⟩⟨12⟩"},
    // Elision: the apostrophe stays on the word, a space stands for it after;
    // only in "quelqu'un" and "aujourd'hui", any case, does it glue.
    {u"l'homme␣l'␣homme␣jusqu'à", u"⟨l'⟩⟨␣⟩⟨homme⟩⟨␣⟩⟨l'⟩⟨␣␣⟩⟨homme⟩⟨␣⟩⟨jusqu'⟩⟨␣⟩⟨à⟩"},
    {u"Quelqu'un␣AUJOURD'HUI␣xquelqu'un␣quelqu'",
     u"⟨Quelqu'un⟩⟨␣⟩⟨AUJOURD'HUI⟩⟨␣⟩⟨xquelqu'⟩⟨␣⟩⟨un⟩⟨␣⟩⟨quelqu'⟩⟨␣⟩"},
    // "d'abord" is one word, whatever the case of its D and the blanks
    // between; not after a text that begins with the separator.
    {u"D'abord,␣il␣part␣d'␣abord.", u"⟨D'abord⟩⟨,␣⟩⟨il⟩⟨␣⟩⟨part⟩⟨␣⟩⟨d'abord⟩⟨.⟩"},
    {u"␣abord␣d'Abord␣d'abordage␣l'abord", u"⟨␣⟩⟨abord⟩⟨␣⟩⟨d'⟩⟨␣⟩⟨Abord⟩⟨␣⟩⟨d'⟩⟨␣⟩⟨abordage⟩⟨␣⟩⟨l'⟩⟨␣⟩⟨abord⟩"},
    // Inverted pronouns and "-t-" split off, compound words stay whole.
    {u"Viens-tu␣?␣a-t-il", u"⟨Viens⟩⟨-⟩⟨tu⟩⟨␣?␣⟩⟨a⟩⟨-⟩⟨t⟩⟨-⟩⟨il⟩"},
    {u"peut-être␣arc-en-ciel␣grand-", u"⟨peut-être⟩⟨␣⟩⟨arc-en-ciel⟩⟨␣⟩⟨grand⟩⟨-⟩⟨⟩"},
    // A dialogue dash glued to its word (of more than one letter) goes to the
    // separator before it, or stands alone at the start of the text.
    {u"fin.↵⏎-Non,␣dit-elle.", u"⟨fin⟩⟨.⏎-⟩⟨Non⟩⟨,␣⟩⟨dit⟩⟨-⟩⟨elle⟩⟨.⟩"},
    {u"-Bonjour␣-t-il⏎-a␣b", u"⟨-⟩⟨Bonjour⟩⟨␣⟩⟨⟩⟨-⟩⟨t⟩⟨-⟩⟨il⟩⟨⏎⟩⟨-a⟩⟨␣⟩⟨b⟩"},
    {u"fin.⏎-il␣part.↵⏎-␣Non", u"⟨fin⟩⟨.⏎⟩⟨⟩⟨-⟩⟨il⟩⟨␣⟩⟨part⟩⟨.⏎⟩⟨⟩⟨-⟩⟨⟩⟨␣⟩⟨Non⟩"},
    {u"un↵⏎↵⏎deux↵trois⇥quatre", u"⟨un⟩⟨⏎⏎⟩⟨deux⟩⟨trois⟩⟨␣␣␣␣⟩⟨quatre⟩"},
    // Words are cut at 25 characters before the other rules look at them.
    {u"abcdefghijklmnopqrstuvwxyz'b", u"⟨abcdefghijklmnopqrstuvwxy⟩⟨␣⟩⟨b⟩"},
};

// Pupils' texts, split then laid out.
const Cas pages[] = {
    // However many line feeds, one line step; a line starts with its text. A
    // line feed that touches no guillemet nor dash after punctuation is lost.
    {u"fin.⏎␣␣⏎␣Oui⏎(oui)␣».⏎Il", u"5:1 fin. 7:1 Oui 9:1 (oui)␣».Il"},
    // A punctuated separator that reaches the limit ends the line; its last
    // two characters open the next one at the very edge, the text at 3. The
    // first token never splits.
    {u"aaaaaaaaa␣:␣«␣Oui⏎aaaaaaaa␣:␣«␣Oui⏎aaaaaaaaaaaa.«Oui",
     u"5:1 aaaaaaaaa␣:␣ 7:0 «␣@3Oui 9:1 aaaaaaaa␣:␣«␣ 11:1 Oui 13:1 aaaaaaaaaaaa. 15:0 «@3Oui"},
    {u"␣:␣«␣Oui", u"5:1 ␣:␣«␣ 7:1 Oui", 1000, 6},
    // A line feed then a guillemet: a straight quote at 1, the text at 3,
    // unless « then a line feed: « itself opens the next line; » then a line
    // feed: » ends its line. A line feed then » wins over « then a line feed.
    {u"Il␣dit␣:⏎«␣Oui␣».⏎«(b␣«⏎»␣b.⏎«⏎b␣»⏎␣(Il)",
     u"5:1 Il␣dit␣: 7:1 \"@3Oui␣». 9:1 \"@3(b␣« 11:1 \"@3b. 13:1 «@3b␣» 15:1 (Il)"},
    // A line feed then a dialogue dash, even after »: the dash at 1, the text
    // at 3; a dash on its own is text.
    {u"fin⏎⏎-Non␣»⏎-Oui.⏎-␣Non", u"5:1 fin 7:1 -@3Non␣» 9:1 -@3Oui. 11:1 -␣Non"},
    // A token that would reach the limit goes to the next line, except the
    // single space, punctuation (an elided word too) and line feeds.
    {u"aaaaaaaaaaa␣bb⏎aaaaaaaaaa␣bb⏎aaaaaaaaaaaaa␣b",
     u"5:1 aaaaaaaaaaa␣ 7:1 bb 9:1 aaaaaaaaaa␣bb 11:1 aaaaaaaaaaaaa␣ 13:1 b"},
    {u"aaaaaaaaaaa␣␣␣b⏎aaaaaaaaaaa␣l'homme⏎aaaaaaaaaaaa⏎⏎⏎⏎b",
     u"5:1 aaaaaaaaaaa 7:1 ␣␣␣b 9:1 aaaaaaaaaaa␣l'␣ 11:1 homme 13:1 aaaaaaaaaaaa 15:1 b"},
    {u"a␣bbbbbbbbbbbbbbbb␣c", u"5:1 a␣ 7:1 bbbbbbbbbbbbbbbb␣ 9:1 c"},
    // Each page has the header at column 5 of line 1 and the rule on line 2,
    // as long as the printable width rounded half to even, text down to its
    // last whole line, whatever broke it; a page is begun when printed on,
    // and takes one line of text when too short for line 5.
    {u"Un⏎Deux⏎Trois⏎Quatre", u"1:5 T 2:0 _×82 5:1 Un 7:1 Deux 9:1 Trois 1|1:5 T 1|2:0 _×82 1|5:1 Quatre", 10, 81.5},
    {u"Un⏎Deux␣bbbbbbbbbbbbbbbb⏎Trois",
     u"1:5 T 2:0 _×20 5:1 Un 7:1 Deux␣ 1|1:5 T 1|2:0 _×20 1|5:1 bbbbbbbbbbbbbbbb 1|7:1 Trois", 9},
    {u"Un⏎Deux.⏎", u"1:5 T 2:0 _×80 5:1 Un 1|1:5 T 1|2:0 _×80 1|5:1 Deux.", 3, 80.5},
    {u"", u"1:5 T 2:0 _×81", 60, 80.51},
    {u"", u"1:5 T", 60, 0.4},
};

} // namespace

class TestDecoupeMiseEnPage : public QObject
{
    Q_OBJECT

private slots:
    void decoupeEtMiseEnPage()
    {
        for (const Cas &c : decoupes) {
            QString jetons;
            for (const QString &j : ::decoupe(enClair(c.entree)))
                jetons += u'⟨' + visible(j) + u'⟩';
            QCOMPARE(jetons, c.attendu.toString());
        }
        for (const Cas &c : pages)
            QCOMPARE(papier(::miseEnPage(::decoupe(enClair(c.entree)), c.largeur, c.lignesParPage, u"T"_s, chasseFixe),
                            c.lignesParPage < 1000), c.attendu.toString());
        // Tokens the splitter never makes: a carriage return is not drawn
        // either. An empty header draws nothing.
        QCOMPARE(papier(::miseEnPage({u"Un"_s, u"\r"_s, u"Deux"_s}, 20, 60, {}, chasseFixe), true),
                 u"2:0 _×20 5:1 UnDeux"_s);
        // Columns follow the printed width, but the room test counts
        // characters (width 12: nothing may reach column 7).
        const auto demi = [](const QString &s) { return s.size() / 2.0; };
        QCOMPARE(papier(::miseEnPage(::decoupe(u"aaaa bbb cc"), 12, 60, {}, demi), false),
                 u"5:1 aaaa@3␣@3.5bbb@5␣ 7:1 cc"_s);
    }
};

QTEST_APPLESS_MAIN(TestDecoupeMiseEnPage)
#include "test_decoupe_mise_en_page.moc"
