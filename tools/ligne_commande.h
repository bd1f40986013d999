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
    QSet<QString> drapeaux;          // given flags, such as "--json"
    QHash<QString, QString> valeurs; // given options with a value
    QString erreur;                  // set on bad usage
};

// Reads a sub-command's arguments. `drapeaux` and `avecValeur` are the
// options it knows; "--help" and "-h" are always known; "--" ends options.
Arguments lit_arguments(const QStringList &args, const QStringList &drapeaux,
                        const QStringList &avecValeur);

// A whole number within [min, max], or nothing.
std::optional<int> entier(const QString &texte, int min, int max);

// Writes UTF-8 text to stdout or stderr.
void ecrit(std::FILE *flux, const QString &texte);
// One JSON document on stdout.
void ecrit_json(const QJsonValue &document);

// Bad usage: the reason and the usage line on stderr; returns 2.
int mauvaise_utilisation(const QString &raison, const QString &utilisation);

// «texte», tight, with its spaces kept and line feeds, carriage returns and tabs
// shown, so that a quoted word never breaks a line of the report.
QString cite(const QString &texte);

} // namespace outils
