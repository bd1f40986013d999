#include "base/texts/processus.h"

#include "base/texts/systeme.h"

#include <QCryptographicHash>
#include <QFile>
#include <QStringList>
#include <QSysInfo>

namespace processus {

namespace {

QString cle(bool avecHote)
{
    QCryptographicHash h(QCryptographicHash::Sha1);
    h.addData(sys::idMachine());
    if (avecHote)
        h.addData(QSysInfo::machineHostName().toUtf8());
    return QString::fromLatin1(h.result().toHex().left(16));
}

} // namespace

const Copie &cetteCopie()
{
    static const Copie copie = [] {
        Copie c;
        // The host name is only a label: DHCP or a renamed post changes it
        // while the machine, its copies and its records stay the same. Two
        // machines cloned from one image share the id but not the boot.
        c.machine = cle(false);
        c.demarrage = sys::idDemarrage();
        c.demarrage.remove(QLatin1Char('_'));
        c.pid = sys::getpid();
        c.debut = sys::debutProcessus(c.pid).value_or(0);
        return c;
    }();
    return copie;
}

bool estCetteMachine(const QString &machine)
{
    static const QString ancienne = cle(true);
    return machine == cetteCopie().machine || machine == ancienne;
}

bool enVie(const Copie &c)
{
    const Copie &moi = cetteCopie();
    if (!estCetteMachine(c.machine))
        return true;
    if (c.demarrage != moi.demarrage)
        return false;
    const std::optional<quint64> debut = sys::debutProcessus(c.pid);
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
    return sys::utilisateur();
}

QString hote()
{
    return QSysInfo::machineHostName();
}

} // namespace processus
