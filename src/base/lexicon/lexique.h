#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <functional>
#include <iterator>
#include <optional>

#include <QByteArray>

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
bool estLettreMot(QChar c) noexcept;

inline constexpr int maxThemes = 100;

// Index 0 is never written, so that "no theme found" (index 0) reads as an
// empty line.
using LignesLexique = std::array<QString, maxThemes + 1>;

struct Lexique {
    LignesLexique lignes;
    qint16 nbThemes = 0;
    // Something followed the 100th kept line: the window tells the pupil
    // "Votre lexique est trop long! 100 thèmes maxi!" once.
    bool tropLong = false;
};

// Cuts the decoded file into lines and keeps those of more than 2 characters.
// CR LF and a lone CR end a line; a lone LF is an ordinary character.
// Reading stops as soon as anything at all follows the 100th kept line.
Lexique chargerLexique(QStringView contenu);

// The same on the file's bytes, before decoding: CR and LF are the same
// bytes in Windows-1252, so only what is kept is decoded (by `decode`), and a
// kept line is cut after `longueurGardee` characters when that is not -1.
// A damaged file's megabytes are then neither decoded nor copied.
using DecodeurLexique = QString (*)(QByteArrayView);
Lexique chargerLexiqueOctets(QByteArrayView octets, DecodeurLexique decode,
                              qsizetype longueurGardee = -1);

// One line of the decoded file as the loader cuts it: `longueur` characters
// from `debut`, without the line end; the next line begins at `suite`.
struct LigneFichier {
    qsizetype debut = 0;
    qsizetype longueur = 0;
    qsizetype suite = 0;
};

// The line beginning at `position`, which must lie inside `contenu`.
LigneFichier ligneFichier(QStringView contenu, qsizetype position);

// Whether a line of that many characters is kept as a theme.
constexpr bool estLigneTheme(qsizetype longueur) noexcept { return longueur > 2; }

// chargerLexique, telling `lue` about every line it reads, in file order,
// with the index the line got in `lignes` (0: skipped as too short).
// When tropLong is set, the text after the last line reported was not read.
using LigneLue = std::function<void(const LigneFichier &, int index)>;
Lexique chargerLexiqueDetaille(QStringView contenu, const LigneLue &lue);

struct DecoupageLigne {
    // The line's entries in order, exactly as they stand; the theme's name,
    // when there is one, is the first.
    QStringList entrees;
    // The chooser entry the line gives: its first run of word characters,
    // only when a separator follows that run.
    std::optional<QString> nom;
};

// Splits one theme line into entries. The window's decoupe_lex adds `nom` to
// the theme chooser; its decoupe_lex2 ignores it.
DecoupageLigne decouperLigne(QStringView texte);

// decouperLigne(texte).nom, without building the entries.
std::optional<QString> nomTheme(QStringView texte);

// The line whose first nom.size() characters are exactly `nom`, among lines
// 1 to nbThemes; the last such line wins; 0 when there is none.
qint16 chercherTheme(const LignesLexique &lignes, qint16 nbThemes, QStringView nom);

// Bounds against a damaged lexicon, far above a real one (a few kilobytes,
// lines of a few hundred characters): bytes of the file read, and characters
// of a line made into entries. Beyond them, widgets holding millions of
// entries or megabyte-long ones would freeze the window.
inline constexpr qint64 tailleLexiqueLue = 32 * 1024 * 1024;
inline constexpr qsizetype longueurDecoupee = 64 * 1024;

// The bytes of a lexicon file, at most tailleLexiqueLue of them; nothing when
// it is no plain file or cannot be read (a pipe would make the reader wait).
std::optional<QByteArray> lireFichierLexique(const QString &chemin);
