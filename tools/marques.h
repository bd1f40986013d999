#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

class Attributs;

// Marks left behind by a copy of Plumor that stopped without closing its
// text, found and cleared through the attribute layer the copies use.

struct TexteMarque {
    QString chemin; // relative to the folder searched, with '/'
    qint64 taille = 0;
    QDateTime modification;
};

struct ReleveMarques {
    QList<TexteMarque> marques;  // by path
    QStringList illisibles;      // texts whose attribute word could not be read
};

// Every marked .txt under `dossier`, sub-folders included. Only the word 1
// is a mark: 33 (read-only and archive) is free, as for the copies.
ReleveMarques releverMarques(const QString &dossier, const Attributs &attributs);

enum class Liberation { Liberee, DejaLibre, Introuvable, Echec };

struct ResultatLiberation {
    Liberation etat = Liberation::Echec;
    QString detail; // why it failed
};

// Releases one marked text as a copy closing it would; a free text keeps
// its word.
ResultatLiberation liberer(const QString &chemin, Attributs &attributs);
