#include "base/print/decoupe.h"

#include <algorithm>
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
// in constant time; built at compile time, it costs no guard on each call.
constexpr std::array<bool, 256> tableMot = [] {
    std::array<bool, 256> t{};
    for (const char16_t *p = caracteresMot; *p; ++p)
        t[*p] = true;
    return t;
}();

bool estCaractereMot(QChar c)
{
    return c.unicode() < 256 && tableMot[c.unicode()];
}

// Only these two keep their apostrophe inside the word ("quelqu'un",
// "aujourd'hui"); every other apostrophe ends an elided word.
bool gardeApostrophe(QStringView motEnCours)
{
    if (motEnCours.size() != 7 && motEnCours.size() != 8)
        return false;
    const QString minuscules = motEnCours.toString().toLower();
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
    const auto trouve = std::find(courant.cbegin(), courant.cend(), u'-');
    const qsizetype tiret = trouve == courant.cend() ? -1 : trouve - courant.cbegin();
    if (tiret >= 0
        && pronoms.contains(QStringView(courant).mid(tiret).left(longueurMaxMot))) {
        listemot.append(courant.left(tiret));
        listemot.append(QStringLiteral("-"));
        courant.remove(0, tiret + 1);
    }

    // Without a hyphen there is no "-t-" either: most words skip the search.
    const qsizetype euphonique = tiret >= 0 ? courant.indexOf(u"-t-") : -1;
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
    const qsizetype longueur = texte.size();
    // French prose gives about 0.4 tokens a character; reserving is free for
    // the pages never written, and spares the copies of a growing list.
    listemot.reserve(longueur / 2 + 16);
    qsizetype i = 0;
    // Most separators are a single space: they all share this one.
    static const QString espace = QStringLiteral(" ");

    while (i < longueur) {
        // `c` outlives each run on purpose: the character that ended a word
        // run decides whether an elision space opens the next separator, even
        // when the run ended with the text.
        QChar c = texte[i];

        if (estCaractereMot(c)) {
            // The run is found first and copied once.
            const qsizetype debut = i;
            for (;;) {
                // The eliding apostrophe closes the word and is read again
                // below as the first character of the separator.
                if (c == u'\'' && !gardeApostrophe(texte.sliced(debut, i + 1 - debut)))
                    break;
                if (++i >= longueur)
                    break;
                c = texte[i];
                if (!estCaractereMot(c))
                    break;
            }
            // An eliding apostrophe stopped the run on itself, and belongs to the word.
            const qsizetype fin = i < longueur && c == u'\'' ? i + 1 : i;
            ajouteMot(listemot, texte.sliced(debut, fin - debut).toString());
            if (c == u'\'')
                c = u' ';
        }

        if (!estCaractereMot(c)) {
            // The elision space stands for the apostrophe at texte[i].
            const qsizetype debut = i;
            const QChar premier = c;
            bool simple = true; // no tab or carriage return: the run is copied as it is
            for (;;) {
                if (c == u'\t' || c == u'\r')
                    simple = false;
                if (++i >= longueur)
                    break;
                c = texte[i];
                if (estCaractereMot(c))
                    break;
            }
            if (simple && i - debut == 1 && premier == u' ') {
                listemot.append(espace);
            } else if (simple) {
                QString courant = texte.sliced(debut, i - debut).toString();
                courant[0] = premier;
                listemot.append(std::move(courant));
            } else {
                QString courant;
                courant.reserve(i - debut + 8);
                for (qsizetype k = debut; k < i; ++k) {
                    const QChar x = k == debut ? premier : texte[k];
                    if (x == u'\t')
                        courant.append(QLatin1String("    "));
                    else if (x != u'\r')
                        courant.append(x);
                }
                // A run of carriage returns alone leaves no token.
                if (!courant.isEmpty())
                    listemot.append(std::move(courant));
            }
        }
    }
    return listemot;
}
