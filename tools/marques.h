#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

class Attributs;

// Marks left behind by a copy of Plumor that stopped without closing its
// text, found and cleared through the attribute layer the copies use.
// Paths are the file system's own bytes, relative to the folder searched, so
// that a name that is not UTF-8 is seen and reached too.

struct EntreeClasse {
    QByteArray chemin;
    qint64 taille = 0;
    QDateTime modification;
};

struct ReleveMarques {
    QList<EntreeClasse> marques;
    QList<EntreeClasse> liens;      // named like a text: shown, never followed
    QList<EntreeClasse> brouillons; // the newer text of a save that was killed
    QList<QByteArray> illisibles;   // texts whose attribute word could not be read
};

// Every marked .txt under `dossier`, sub-folders included, hidden ones left
// out; links are never followed. Only the word 1 is a mark: 33 (read-only
// and archive) is free, as for the copies.
ReleveMarques releverMarques(const QString &dossier, const Attributs &attributs);

// A path as the teacher reads and types it: bytes that are not UTF-8 as
// \xNN, a backslash doubled; and back.
QString affichable(const QByteArray &chemin);
QByteArray natif(const QString &affiche);

// Why a path given to --liberer is refused, or nothing: only a plain .txt
// file named relative to `dossier` whose real path lies under it.
std::optional<QString> refusLiberation(const QString &dossier, const QByteArray &chemin);

enum class Liberation { Liberee, DejaLibre, Echec };

struct ResultatLiberation {
    Liberation etat = Liberation::Echec;
    QString detail; // why it failed
};

// Releases one marked text as a copy closing it would; a free text keeps
// its word.
ResultatLiberation liberer(const QByteArray &chemin, Attributs &attributs);
