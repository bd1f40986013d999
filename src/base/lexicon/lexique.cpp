#include "base/lexicon/lexique.h"

#include "base/texts/disque.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <string_view>

namespace {

// Every character of lettres_mot is Latin-1, so one byte-indexed table
// answers membership.
constexpr std::array<bool, 256> tableLettresMot = [] {
    std::array<bool, 256> table{};
    for (char16_t c : std::u16string_view(lettres_mot))
        table[c] = true;
    return table;
}();

} // namespace

bool estLettreMot(QChar c) noexcept
{
    const char16_t u = c.unicode();
    return u < tableLettresMot.size() && tableLettresMot[u];
}

namespace {

// The loader on characters or on bytes alike: line ends are the same code
// units in both.
template <typename Vue>
LigneFichier ligneDans(Vue contenu, qsizetype position)
{
    LigneFichier ligne;
    ligne.debut = position;
    const qsizetype taille = contenu.size();
    qsizetype fin = contenu.indexOf('\r', position);
    if (fin < 0) {
        fin = taille;
        ligne.suite = taille;
    } else {
        ligne.suite = fin + 1;
        if (ligne.suite < taille && contenu[ligne.suite] == '\n')
            ++ligne.suite;
    }
    ligne.longueur = fin - position;
    return ligne;
}

template <typename Vue, typename Garde>
Lexique charge(Vue contenu, const LigneLue &lue, Garde garde)
{
    Lexique lexique;
    qsizetype position = 0;
    int suivant = 1;

    // The file is at its end when no character is left after the last line
    // end consumed, so a final CR LF (or CR) opens no empty line of its own.
    while (position < contenu.size()) {
        if (suivant > maxThemes) {
            lexique.tropLong = true;
            break;
        }
        const LigneFichier ligne = ligneDans(contenu, position);
        int index = 0;
        // Short lines are only measured, never copied.
        if (estLigneTheme(ligne.longueur)) {
            index = suivant++;
            lexique.lignes[index] = garde(contenu.sliced(ligne.debut, ligne.longueur));
        }
        if (lue)
            lue(ligne, index);
        position = ligne.suite;
    }
    lexique.nbThemes = static_cast<qint16>(suivant - 1);
    return lexique;
}

} // namespace

LigneFichier ligneFichier(QStringView contenu, qsizetype position)
{
    return ligneDans(contenu, position);
}

Lexique chargerLexique(QStringView contenu)
{
    return chargerLexiqueDetaille(contenu, {});
}

Lexique chargerLexiqueDetaille(QStringView contenu, const LigneLue &lue)
{
    return charge(contenu, lue, [](QStringView ligne) { return ligne.toString(); });
}

Lexique chargerLexiqueOctets(QByteArrayView octets, DecodeurLexique decode, qsizetype longueurGardee)
{
    return charge(octets, {}, [&](QByteArrayView ligne) {
        return decode(longueurGardee < 0 ? ligne : ligne.first(std::min(ligne.size(), longueurGardee)));
    });
}

DecoupageLigne decouperLigne(QStringView texte)
{
    DecoupageLigne decoupage;
    const qsizetype n = texte.size();
    qsizetype position = 0;
    QStringView mot;           // the word being built, always a run of texte
    char etat = 0;             // 'm' after a word character, 's' after a separator
    bool nom_pris = false;

    while (position < n) {
        const qsizetype debut = position;
        while (position < n && estLettreMot(texte[position])) {
            etat = 'm';
            ++position;
        }
        mot = texte.sliced(debut, position - debut);
        if (position == n)
            break; // the line ends inside a word: the end-of-line rule decides

        // A separator follows the run: it is an entry, and the line's first
        // such run names the theme.
        if (!mot.isEmpty() && etat == 'm') {
            decoupage.entrees.append(mot.toString());
            if (!nom_pris) {
                decoupage.nom = decoupage.entrees.constLast();
                nom_pris = true;
            }
        }
        mot = {};
        while (position < n && !estLettreMot(texte[position])) {
            etat = 's';
            ++position;
        }
    }

    // The run ending the line never names the theme, and a lone space there
    // is dropped (a line ending "; " would otherwise show a blank entry).
    if (!mot.isEmpty() && mot != u" ")
        decoupage.entrees.append(mot.toString());
    return decoupage;
}

std::optional<QString> nomTheme(QStringView texte)
{
    // The first run of word characters, when a separator follows it.
    const qsizetype n = texte.size();
    qsizetype debut = 0;
    while (debut < n && !estLettreMot(texte[debut]))
        ++debut;
    qsizetype fin = debut;
    while (fin < n && estLettreMot(texte[fin]))
        ++fin;
    if (fin == debut || fin == n)
        return std::nullopt;
    return texte.sliced(debut, fin - debut).toString();
}

qint16 chercherTheme(const LignesLexique &lignes, qint16 nbThemes, QStringView nom)
{
    const int dernier = std::clamp<int>(nbThemes, 0, maxThemes);
    // Searching backwards: the first hit is the last line in file order.
    for (int i = dernier; i >= 1; --i) {
        if (QStringView(lignes[i]).left(nom.size()) == nom)
            return static_cast<qint16>(i);
    }
    return 0;
}

std::optional<QByteArray> lireFichierLexique(const QString &chemin)
{
    QByteArray octets;
    if (disque::lire(chemin, tailleLexiqueLue, octets) != 0)
        return std::nullopt;
    // What lies past the part read is ignored, as it always was.
    octets.truncate(qsizetype(tailleLexiqueLue));
    return octets;
}
