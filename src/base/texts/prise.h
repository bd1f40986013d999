#pragma once

#include "base/texts/processus.h"

#include <QByteArray>
#include <QString>

#include <functional>
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

// `.plumor-prise-` and a hash of the text's name as the folder compares
// names: case folded where the folder ignores case (one text by several
// names), byte for byte elsewhere (two texts, two claims); a name of 255
// bytes still has its claim.
QByteArray nom(const QByteArray &nomTexte, bool sansCasse);
// The claim's name in the open folder `dossier`, by that folder's rules.
QByteArray nomDans(int dossier, const QByteArray &nomTexte);
bool sansCasse(int dossier);
// For tests: the case rule every folder is taken to have; nothing: the folder's own.
void imposerCasse(std::optional<bool> sansCasse);
// A claim, the hidden file one is written in before it takes its name, or
// the successor file of one being replaced.
bool estPrise(const QByteArray &nomFichier);

// How long a take or a replace of a claim may last at most: a claim's draft,
// successor or set-aside file older than this, by the clock of the folder's
// disk, was left by a copy that died in its middle.
constexpr qint64 dureeMaxNs = 120'000'000'000;

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

// What stands at a text's claim name. Only a plain file with one name, whole,
// recording this very text (by the folder's case rule) is a claim: anything
// else refuses nothing.
struct Lue {
    std::optional<Detenteur> detenteur;
    // ENOENT: nothing there; EINVAL: something that is no claim of this text
    // (`etranger` says what); another errno: a file that cannot be read, a
    // copy at work as far as this copy can tell.
    int erreur = 0;
    qint64 date = 0; // when it was written, ns, by the clock of the folder's disk
    QString etranger;
    quint64 peripherique = 0, inode = 0; // of what was judged
};
Lue lire(int dossier, const QByteArray &nomTexte);
// What a file of a claim's name is, when it is no claim of `nomTexte` (empty
// for a claim of it): for a teacher to read. `nomTexte` empty: any text.
QString etranger(int dossier, const QByteArray &nomFichier, const QByteArray &nomTexte, Detenteur *d = nullptr);

// Takes `d`'s text's claim: 0 when it is this copy's, EEXIST when a claim of
// a copy at work refuses the text, another errno when no claim can stand
// here (the text is then taken without one). A foreign file at the claim's
// name is set aside first, and a claim `perimee` judges nobody's any more
// is replaced.
int prendre(int dossier, const Detenteur &d, const std::function<bool(const Lue &)> &perimee);

// Removes the hidden files of claims a dead copy left in the open folder:
// drafts and successors whose maker is known dead on this machine, or older
// than dureeMaxNs. Returns how many went.
int nettoyer(int dossier);

// Puts `d` in place of the claim of its text that holds `jeton`: 0, ESTALE
// when that claim is no longer there or another copy is replacing it, or
// why it cannot be replaced (a folder where nothing may be created). Copies that find one stale claim at once race for a successor file
// named after its token, created only where none is: one wins.
int remplacer(int dossier, const Detenteur &d, const QByteArray &jeton);
// Removes the claim of `nomTexte` while it holds `jeton`, or whatever claim
// is there when `jeton` is empty (the teacher's release). 0 when none is left.
int retirer(int dossier, const QByteArray &nomTexte, const QByteArray &jeton);

} // namespace prise
