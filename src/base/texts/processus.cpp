#include "base/texts/processus.h"

#include "base/texts/disque.h"

#include <QCryptographicHash>
#include <QFile>
#include <QStringList>
#include <QSysInfo>

#include <cerrno>
#include <pwd.h>
#include <unistd.h>

namespace processus {

namespace {

QByteArray lireTout(const char *chemin, qint64 limite)
{
    QByteArray octets;
    errno = disque::lire(QFile::decodeName(chemin), limite, octets);
    return octets.size() > limite ? QByteArray() : octets;
}

// The start of a process from /proc; 0 when it cannot be read, nothing when
// there is no such process or only its exit status is left.
std::optional<quint64> debutProcessus(qint64 pid)
{
    const QByteArray stat = lireTout(QByteArray("/proc/" + QByteArray::number(pid) + "/stat").constData(), 4096);
    if (stat.isEmpty())
        return errno == ENOENT || errno == ESRCH ? std::nullopt : std::optional<quint64>(0);
    // The command name may hold anything, parentheses included: fields are
    // counted from its last ')'; the start time is field 22, the 20th after it.
    const QList<QByteArray> champs = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (champs.size() <= 19)
        return 0;
    if (champs.at(0) == "Z")
        return std::nullopt;
    return champs.at(19).toULongLong();
}

} // namespace

const Copie &cetteCopie()
{
    static const Copie copie = [] {
        Copie c;
        // Neither the machine id alone (cloned images share it) nor the host
        // name alone (any can be set) tells machines apart surely; both do.
        QCryptographicHash h(QCryptographicHash::Sha1);
        h.addData(lireTout("/etc/machine-id", 256));
        h.addData(QSysInfo::machineHostName().toUtf8());
        c.machine = QString::fromLatin1(h.result().toHex().left(16));
        c.demarrage = QString::fromLatin1(lireTout("/proc/sys/kernel/random/boot_id", 64).trimmed());
        c.demarrage.remove(QLatin1Char('_'));
        c.pid = ::getpid();
        c.debut = debutProcessus(c.pid).value_or(0);
        return c;
    }();
    return copie;
}

bool enVie(const Copie &c)
{
    const Copie &moi = cetteCopie();
    if (c.machine != moi.machine)
        return true;
    if (c.demarrage != moi.demarrage)
        return false;
    const std::optional<quint64> debut = debutProcessus(c.pid);
    return debut && (*debut == 0 || *debut == c.debut);
}

QString nomDe(const Copie &c)
{
    return QStringLiteral("%1_%2_%3_%4").arg(c.machine, c.demarrage).arg(c.pid).arg(c.debut);
}

std::optional<Copie> depuisNom(const QString &nom)
{
    const QStringList p = nom.split(QLatin1Char('_'));
    if (p.size() != 4 && p.size() != 5) // a claimed record has a fifth part
        return std::nullopt;
    bool pid = false, debut = false;
    Copie c{p[0], p[1], p[2].toLongLong(&pid), p[3].toULongLong(&debut)};
    if (!pid || !debut)
        return std::nullopt;
    return c;
}

QString utilisateur()
{
    const passwd *p = ::getpwuid(::geteuid());
    return p ? QString::fromLocal8Bit(p->pw_name) : QString::number(::geteuid());
}

QString hote()
{
    return QSysInfo::machineHostName();
}

} // namespace processus
