#pragma once

#include <QHash>
#include <QJsonValue>
#include <QSet>
#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>

// What every sub-command shares: its arguments, its exit codes and where
// its words go.
namespace outils {

enum Sortie : int { reussite = 0, probleme = 1, mauvaiseUtilisation = 2 };

struct Arguments {
    QStringList positionnels;
    QStringList liste;               // the names after the list option
    QSet<QString> drapeaux;          // given flags, such as "--json"
    QHash<QString, QString> valeurs; // given options with a value
    QString erreur;                  // set on bad usage
    bool json() const { return drapeaux.contains(QStringLiteral("--json")); }
};

// What a sub-command accepts beyond what they all share: "--json",
// "--help"/"-h", "--" and at most one positional (its folder or file).
struct Syntaxe {
    QString utilisation, aide;
    QString unSeul;                  // why a second positional is refused
    QStringList avecValeur = {};     // options that take a value
    QString optionListe = {};        // an option followed by any number of names
    QStringList drapeaux = {};       // further options without a value
};

// Reads a sub-command's arguments. Returns the exit status when the command
// is already over: help shown (0) or bad usage (2).
std::optional<int> lireCommande(const QStringList &args, const Syntaxe &syntaxe, Arguments &a);

// A whole number within [min, max], or nothing.
std::optional<int> entier(const QString &texte, int min, int max);

// Writes UTF-8 text to stdout or stderr.
void ecrire(std::FILE *flux, const QString &texte);
// One JSON document on stdout.
void ecrireJson(const QJsonValue &document);

// Bad usage: the reason and the usage line on stderr; returns 2.
int refuserUtilisation(const QString &raison, const QString &utilisation);

// The text with line feeds (⏎), carriage returns (↵) and tabs (⇥) drawn as
// signs, so that it never breaks a line of a report, and other control
// characters as \xNN; with `espaces`, spaces (␣) and non-breaking spaces (⍽) too.
QString visible(const QString &texte, bool espaces = false);

// «texte», tight, with its spaces kept and the rest shown as visible() does.
QString cite(const QString &texte);

} // namespace outils
