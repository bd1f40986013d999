#include "print/decoupe.h"

#include <array>
#include <utility>

namespace {

// The word characters, in the order the class keyboard shows them. Ø, Þ, å
// and ø are missing on purpose (they split a word), so is the typographic
// apostrophe ’: only the straight one elides.
constexpr char16_t caracteresMot[] =
    u"0123456789AZERTYUIOPMLKJHGFDSQWXCVBNazertyuiopmlkjhgfdsqwxcvbn"
    u"ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖÙÚÛÜÝßàáâãäæçèéêëìíîïðñòóôõöùúûüýþÿ'-";

// Searched as one string: a tail such as "-t" or a lone "-" matches too,
// which is what splits "grand-" and keeps "-t-il" for the euphonic rule.
constexpr QStringView pronoms =
    u"-je-tu-toi-moi-elle-il-nous-vous-ils-elles-la-là-le-les-en-ce";

constexpr qsizetype longueurMaxMot = 25;

// All word characters are Latin-1, so a 256-entry table answers each test
// in constant time.
const std::array<bool, 256> &tableMot()
{
    static const std::array<bool, 256> table = [] {
        std::array<bool, 256> t{};
        for (const char16_t *p = caracteresMot; *p; ++p)
            t[*p] = true;
        return t;
    }();
    return table;
}

bool estCaractereMot(QChar c)
{
    return c.unicode() < 256 && tableMot()[c.unicode()];
}

// Only these two keep their apostrophe inside the word ("quelqu'un",
// "aujourd'hui"); every other apostrophe ends an elided word.
bool gardeApostrophe(const QString &motEnCours)
{
    if (motEnCours.size() != 7 && motEnCours.size() != 8)
        return false;
    const QString minuscules = motEnCours.toLower();
    return minuscules == u"quelqu'" || minuscules == u"aujourd'";
}

// Applies the French word rules to a finished word run and appends the
// resulting tokens.
void ajouteMot(QStringList &listemot, QString courant)
{
    if (courant.size() > longueurMaxMot)
        courant.truncate(longueurMaxMot);

    // "d'abord" is one word on paper: the elided "d'" and the separator made
    // from its apostrophe give way to the merged word.
    if (courant == u"abord" && listemot.size() >= 2) {
        const QString &elide = listemot.at(listemot.size() - 2);
        if (elide.size() == 2 && elide.toUpper() == u"D'") {
            courant.prepend(elide);
            listemot.removeLast();
            listemot.removeLast();
        }
    }

    // Inverted pronoun ("Viens-tu", "dit-elle"): the hyphen becomes a token
    // of its own so that the layout may break the line there.
    const qsizetype tiret = courant.indexOf(u'-');
    if (tiret >= 0
        && pronoms.contains(QStringView(courant).mid(tiret).left(longueurMaxMot))) {
        listemot.append(courant.left(tiret));
        listemot.append(QStringLiteral("-"));
        courant.remove(0, tiret + 1);
    }

    const qsizetype euphonique = courant.indexOf(u"-t-");
    if (euphonique >= 0) {
        listemot.append(courant.left(euphonique));
        listemot.append(QStringLiteral("-"));
        listemot.append(QStringLiteral("t"));
        listemot.append(QStringLiteral("-"));
        courant = courant.mid(euphonique + 3, longueurMaxMot);
    }

    // A dialogue dash glued to the first word belongs to the separator before
    // it, where the layout recognises a line feed followed by "-". At the very
    // start of a text there is no separator: the dash then becomes the first
    // token by itself, so the pupil still sees it printed before the word.
    if (courant.size() > 2 && courant.startsWith(u'-')) {
        courant.remove(0, 1);
        if (listemot.isEmpty())
            listemot.append(QStringLiteral("-"));
        else
            listemot.last().append(u'-');
    }

    listemot.append(courant);
}

} // namespace

QStringList decoupe(QStringView texte)
{
    QStringList listemot;
    QString courant;
    const qsizetype longueur = texte.size();
    qsizetype i = 0;

    while (i < longueur) {
        // `c` outlives each run on purpose: the character that ended a word
        // run decides whether an elision space opens the next separator, even
        // when the run ended with the text.
        QChar c = texte[i];

        if (estCaractereMot(c)) {
            for (;;) {
                courant.append(c);
                // The eliding apostrophe closes the word and is read again
                // below as the first character of the separator.
                if (c == u'\'' && !gardeApostrophe(courant))
                    break;
                if (++i >= longueur)
                    break;
                c = texte[i];
                if (!estCaractereMot(c))
                    break;
            }
            ajouteMot(listemot, std::move(courant));
            courant.clear();
            if (c == u'\'')
                c = u' ';
        }

        if (!estCaractereMot(c)) {
            for (;;) {
                if (c == u'\t')
                    courant.append(QStringLiteral("    "));
                else if (c != u'\r')
                    courant.append(c);
                if (++i >= longueur)
                    break;
                c = texte[i];
                if (estCaractereMot(c))
                    break;
            }
            // A run of carriage returns alone leaves no token.
            if (!courant.isEmpty()) {
                listemot.append(courant);
                courant.clear();
            }
        }
    }
    return listemot;
}
