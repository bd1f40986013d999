#pragma once

#include "base/texts/fichiers_texte.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <condition_variable>
#include <functional>
#include <chrono>
#include <mutex>
#include <optional>
#include <thread>

// What gives a pupil back the text they were writing when their copy ended
// without a word (killed, crashed, the machine switched off at the wall):
// every running copy keeps a record of it on the pupil's own machine, never
// in the class folder, and a later start offers what a dead copy left.
namespace recuperation {

// One copy's record.
struct Releve {
    bool modifie = false; // the writing zone holds what was never saved
    QString texte;        // the writing zone with CR LF line breaks, when modifie
    QString fichier;      // the current text's path; empty for a new text
    // Every text the copy held, with its identity right after its mark was set.
    QList<FichiersTexte::Tenue> marques;
    // An in-place rewrite the copy had begun and maybe not finished.
    std::optional<FichiersTexte::Reecriture> reecriture;

    bool aRecuperer() const { return modifie && !texte.isEmpty(); }
    // The current text's mark, when the copy held it; else null.
    const FichiersTexte::Tenue *marqueCourante() const;
};
QByteArray encoder(const Releve &r);
// Nothing for bytes that are not one whole record of this version.
std::optional<Releve> decoder(const QByteArray &octets);

// Finishes the in-place rewrite a dead copy's record holds, where the file is
// still the one it was writing: the text is then saved and nothing is left
// to offer. Otherwise the record offers the text back. Either way, where the
// file is the one it was writing, its mark is known by its new identity.
// True when a rewrite was finished.
bool terminer(Releve &r, FichiersTexte &fichiers);

// $XDG_STATE_HOME/plumor, else ~/.local/state/plumor.
QString dossierParDefaut();
// Where records go when that folder does not answer (a home folder on a
// network that hangs): a folder of this machine's own disk, private to the
// user, /var/tmp/plumor-UID ($TMPDIR/plumor-UID where TMPDIR is set).
QString dossierDeSecours();

// The records of one user's folder as one copy sees them. A record is named
// after the process that keeps it (machine, boot, pid and the process's start
// time), so that a copy that no longer runs is told from a running one even
// after its pid went to another process or the machine rebooted. A home
// folder several machines share shows each machine its own records only.
class Dossier
{
public:
    explicit Dossier(const QString &chemin);

    // 0, or why records cannot be kept here: the folder is not the user's
    // own folder, or this system cannot tell its processes apart (ENOSYS).
    int erreur() const { return m_erreur; }

    struct Perdu {
        QString nom;
        qint64 date = 0; // last written, ns since the epoch
        Releve releve;
        Dossier *source = nullptr; // the folder it lies in
    };
    // What this machine's copies left when they ended without a word, newest
    // first. A record that cannot be read is deleted and counted in
    // `illisibles`; other users' files are never read.
    QList<Perdu> perdus(int *illisibles = nullptr);
    // Takes a lost record under this copy's names while the pupil is asked,
    // so that no other copy starting now offers it too; false when another
    // copy was first. If this copy dies meanwhile, a later start offers it.
    bool reclamer(Perdu &p);
    // Makes a claimed record this copy's own, which the next write replaces.
    int adopter(Perdu &p);
    void oublier(const Perdu &p);

    // This copy's own record, written whole or not at all and flushed to
    // disk; the folder is made (mode 0700) at the first write.
    int ecrire(const QByteArray &octets);
    int supprimer();

private:
    int verifier(bool creer) const;
    int renommer(const QString &de, const QString &vers) const;

    QString m_chemin;
    QString m_nom;
    int m_erreur = 0;
    int m_reclames = 0;
};

// What this machine's copies left in the records' folder and in this
// machine's own (dossierDeSecours(), null: not looked at), newest first. A
// copy that turned to its own disk when the folder stopped answering never
// wrote to the folder again: its record there, whatever its date (a write
// stuck in a network home may land late), is older than the one on its own
// disk, and goes.
QList<Dossier::Perdu> perdus(Dossier &dossier, Dossier *secours, int *illisibles = nullptr);

// Writes this copy's record on a thread of its own, so that no keystroke
// waits for the disk: only the latest record asked for is written.
class Ecrivain
{
public:
    // `echec` runs on the writer's thread, once, with the errno of the first
    // write that failed. A failed write is tried again with the next record
    // asked for and every reessaiMs meanwhile; the last one asked for is
    // tried once more at the end, so that nothing to keep leaves no record.
    Ecrivain(Dossier &dossier, std::function<void(int)> echec);
    static constexpr int reessaiMs = 3000;
    ~Ecrivain(); // writes what was asked last, then stops
    Ecrivain(const Ecrivain &) = delete;
    Ecrivain &operator=(const Ecrivain &) = delete;

    // Nothing: there is nothing to keep, the record goes.
    void demander(std::optional<Releve> releve);
    // Returns once what was asked is written, or failed: 0 when the last
    // record asked for is on disk, else the errno of its last try; or, past
    // `ms` (-1: no end), ETIMEDOUT.
    int attendre(int ms = -1);
    // Whether a write has been under way for more than `ms`: a folder that
    // does not answer (a home folder on a network that hangs).
    bool enRetard(int ms);

private:
    void boucle();

    Dossier &m_dossier;
    std::function<void(int)> m_echec;
    std::mutex m_mutex;
    std::condition_variable m_condition;
    std::optional<Releve> m_releve;
    bool m_demande = false, m_occupe = false, m_fin = false, m_echoue = false;
    std::chrono::steady_clock::time_point m_debut; // of the write under way
    int m_retard = 0; // the errno that keeps the last record asked for off the disk
    std::thread m_fil;
};

} // namespace recuperation
