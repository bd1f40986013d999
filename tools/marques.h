#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include "base/texts/dossier_classe.h"
#include "base/texts/prise.h"

#include <optional>

class Attributs;

// Marks left behind by a copy of Plumor that stopped without closing its
// text, found and cleared through the attribute layer the copies use.
// Paths are the file system's own bytes, relative to the folder searched, so
// that a name that is not UTF-8 is seen and reached too. Everything below the
// folder is reached from one descriptor of it, never through a link.

struct EntreeClasse {
    QByteArray chemin;
    qint64 taille = 0;
    QDateTime modification;
    // For a marked text: whether the copy holding it is known to run (its
    // lock seen), or holds it from another machine (whether it runs cannot
    // be known here), and who took it, from its claim.
    bool enMarche = false;
    bool ailleurs = false;
    std::optional<prise::Detenteur> detenteur;
    QString etranger; // what a file at a claim's name is, when it is no claim
};

struct NonLu {
    QByteArray chemin;
    int erreur = 0; // errno; ENAMETOOLONG for a folder nested too deep
};

struct ReleveMarques {
    QList<EntreeClasse> marques;
    QList<EntreeClasse> liens;         // named like a text: shown, never followed
    QList<EntreeClasse> plusieursNoms; // texts with hard links: never released
    QList<EntreeClasse> brouillons;    // the newer text of a save that was killed
    QList<EntreeClasse> prisesSansMarque; // claims on texts free or gone: they keep copies out
    QList<EntreeClasse> etrangers;     // at a claim's name but no claim: they refuse nothing
    int nettoyes = 0;                  // claim drafts and successors dead copies left, removed
    QList<QByteArray> illisibles;      // texts whose attribute word could not be read
    QList<NonLu> nonLus;               // what could not be read: the listing is incomplete
};

// Every marked .txt under the folder, sub-folders included, hidden ones left
// out; links are never followed. Only the word 1 is a mark: 33 (read-only
// and archive) is free, as for the copies. The hidden files of claims that
// dead copies left are removed on the way.
ReleveMarques releverMarques(int dossier, const Attributs &attributs);

// A path as the teacher reads and types it: control characters and bytes
// that are not UTF-8 as \xNN, a backslash doubled; and back.
QString affichable(const QByteArray &chemin);
QByteArray natif(const QString &affiche);

// A text named from the class folder: the folder that holds it, pinned, and
// its name there; or why it is refused.
struct TexteResolu {
    QByteArray chemin; // as named
    Descripteur dossier;
    QByteArray nom;
    QString refus;
};

// Resolves `chemin` from the folder `racine` one component at a time,
// refusing a link, "..", an absolute path, and anything but a plain .txt
// with one name.
TexteResolu resoudre(int racine, const QByteArray &chemin);

enum class Liberation { Liberee, DejaLibre, Echec, EnMarche };

struct ResultatLiberation {
    Liberation etat = Liberation::Echec;
    QString detail; // why it failed
};

// Releases one marked text as a copy closing it would, on one open file:
// checked again as a plain text with one name, its word tested, then
// cleared, its write bits back to what its claim says they were before the
// mark, never more than the folder gives a new text; its claim goes too. A
// free text keeps its word, and loses a claim left on it. A text a running
// copy holds, or a copy of another machine claims, is left alone (EnMarche)
// unless `forcer`.
ResultatLiberation liberer(const TexteResolu &texte, Attributs &attributs, bool forcer);
