#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// A running copy of Plumor as the system tells processes apart: the machine,
// its boot, the pid and the instant the process started, so that a copy that
// no longer runs is told from a running one even after its pid went to
// another process or the machine rebooted.
namespace processus {

struct Copie {
    QString machine;   // a hash of the machine id: a host name changes, the machine does not
    QString demarrage; // the boot's id
    qint64 pid = 0;
    quint64 debut = 0; // clock ticks from the boot to the process's start; 0: unknown

    bool operator==(const Copie &o) const
    {
        return machine == o.machine && demarrage == o.demarrage && pid == o.pid && debut == o.debut;
    }
};

// This process.
const Copie &cetteCopie();
// Whether `machine` is this machine's: its key, or the key of earlier
// versions (the machine id with the host name), still found while that name
// is the same.
bool estCetteMachine(const QString &machine);

// Whether a copy still runs. When in doubt (another machine, /proc
// unreadable) it counts as running: what it left is then left alone.
bool enVie(const Copie &c);

// machine_boot_pid_start, a file name; and back (nothing for another name).
QString nomDe(const Copie &c);
std::optional<Copie> depuisNom(const QString &nom);

// The user and the host name, for a teacher to read who holds a text.
QString utilisateur();
QString hote();

} // namespace processus
