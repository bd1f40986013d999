#pragma once

#include "base/texts/processus.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The claim a copy puts beside a text it takes, a small hidden file named
// after the text: created only where nothing has that name, in one operation
// every share performs atomically on its server, it keeps a take single
// between machines whose share does not pass locks on. It says who holds
// the text (machine, user, the copy's start) for a stale claim to be told
// and for the teacher to read, and carries a random token: the claim a dead
// copy's record names is still that copy's only while the token is there,
// which the teacher's release and another copy's take end.
namespace prise {

// `.plumor-prise-` and a hash of the text's name, case folded: a share that
// ignores case reaches one text by several names, and a name of 255 bytes
// still has its claim.
QByteArray nom(const QByteArray &nomTexte);
// A claim, the hidden file one is written in before it takes its name, or
// the successor file of one being replaced.
bool estPrise(const QByteArray &nomFichier);

struct Detenteur {
    processus::Copie copie;
    QString utilisateur, hote;
    QByteArray jeton;   // this take's, random
    int modeAvant = -1; // the text's permissions before its mark; -1: unknown
    QByteArray texte;   // the text's name in its folder
    qint64 depuis = 0;  // seconds since the epoch

    // The copy that wrote it is this one, or is known to be dead.
    bool perime() const;
    // The copy that wrote it runs on this machine.
    bool enMarcheIci() const;
};
// This copy, taking `nomTexte` now with a new token.
Detenteur pourCetteCopie(const QByteArray &nomTexte, int modeAvant);

QByteArray encoder(const Detenteur &d);
std::optional<Detenteur> decoder(const QByteArray &octets);

// Puts `d`'s claim in the open folder `dossier`, whole from its first
// instant: 0, EEXIST when a claim is there, or why none can be made here.
int poser(int dossier, const Detenteur &d);

struct Lue {
    std::optional<Detenteur> detenteur;
    int erreur = 0;  // ENOENT: no claim; EINVAL: bytes that are no claim
    qint64 date = 0; // when it was written, ns, by the clock of the folder's disk
};
Lue lire(int dossier, const QByteArray &nomTexte);

// Puts `d` in place of the claim of its text that holds `jeton`: 0, ESTALE
// when that claim is no longer there or another copy is replacing it, or
// why it cannot be replaced (a folder where nothing may be created). Copies that find one stale claim at once race for a successor file
// named after its token, created only where none is: one wins.
int remplacer(int dossier, const Detenteur &d, const QByteArray &jeton);
// Removes the claim of `nomTexte` while it holds `jeton`, or whatever claim
// is there when `jeton` is empty (the teacher's release). 0 when none is left.
int retirer(int dossier, const QByteArray &nomTexte, const QByteArray &jeton);

} // namespace prise
