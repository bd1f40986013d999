#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <functional>
#include <iterator>
#include <optional>

// The thematic lexicon without any widget or file: the window reads
// lexique.stw, decodes its bytes one to one (Windows-1252) and hands the text
// to these functions; the messages and the lists stay with the window.

// The characters words are made of. The space, apostrophe, hyphen and comma
// belong here so that an entry may be a short expression ("un chat").
// Every other character, É or œ included, separates words.
inline constexpr char16_t lettres_mot[] =
    u"0123456789AZERTYUIOPMLKJHGFDSQWXCVBN azertyuiopmlkjhgfdsqwxcvbn"
    u"éèêôâîÄËÏÖÜäöïëüßûàçù'-,";
static_assert(std::size(lettres_mot) - 1 == 87, "lettres_mot has 87 characters");

// Exact, case-sensitive membership in lettres_mot, in constant time.
bool est_lettre_mot(QChar c) noexcept;

inline constexpr int max_themes = 100;

// Index 0 is never written, so that "no theme found" (index 0) reads as an
// empty line.
using LignesLexique = std::array<QString, max_themes + 1>;

struct Lexique {
    LignesLexique lignes_lexique;
    qint16 nb_themes = 0;
    // Something followed the 100th kept line: the window tells the pupil
    // "Votre lexique est trop long! 100 thèmes maxi!" once.
    bool trop_long = false;
};

// Cuts the decoded file into lines and keeps those of more than 2 characters.
// CR LF and a lone CR end a line; a lone LF is an ordinary character.
// Reading stops as soon as anything at all follows the 100th kept line.
Lexique charge_lexique(QStringView contenu);

// The same on the file's bytes, before decoding: CR and LF are the same
// bytes in Windows-1252, so only what is kept is decoded (by `decode`), and a
// kept line is cut after `longueurGardee` characters when that is not -1.
// A damaged file's megabytes are then neither decoded nor copied.
using DecodeurLexique = QString (*)(QByteArrayView);
Lexique charge_lexique_octets(QByteArrayView octets, DecodeurLexique decode,
                              qsizetype longueurGardee = -1);

// One line of the decoded file as the loader cuts it: `longueur` characters
// from `debut`, without the line end; the next line begins at `suite`.
struct LigneFichier {
    qsizetype debut = 0;
    qsizetype longueur = 0;
    qsizetype suite = 0;
};

// The line beginning at `position`, which must lie inside `contenu`.
LigneFichier ligne_fichier(QStringView contenu, qsizetype position);

// Whether a line of that many characters is kept as a theme.
constexpr bool est_ligne_theme(qsizetype longueur) noexcept { return longueur > 2; }

// charge_lexique, telling `lue` about every line it reads, in file order,
// with the index the line got in lignes_lexique (0: skipped as too short).
// When trop_long is set, the text after the last line reported was not read.
using LigneLue = std::function<void(const LigneFichier &, int index)>;
Lexique charge_lexique_detaille(QStringView contenu, const LigneLue &lue);

struct DecoupageLigne {
    // The line's entries in order, exactly as they stand; the theme's name,
    // when there is one, is the first.
    QStringList entrees;
    // The chooser entry the line gives: its first run of word characters,
    // only when a separator follows that run.
    std::optional<QString> nom;
};

// Splits one theme line into entries. The window's decoupe_lex adds `nom` to
// the theme chooser; its decoupe_lex2 ignores it. A window method of the
// same name must call this one as ::decoupe_lex.
DecoupageLigne decoupe_lex(QStringView texte);

// decoupe_lex(texte).nom, without building the entries.
std::optional<QString> nom_theme(QStringView texte);

// The line whose first nom.size() characters are exactly `nom`, among lines
// 1 to nb_themes; the last such line wins; 0 when there is none.
qint16 cherche_theme(const LignesLexique &lignes_lexique, qint16 nb_themes,
                     QStringView nom);
