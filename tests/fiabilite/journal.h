#pragma once

// What the stress copies and their checker share: the clock, the versions a
// copy writes and the messages that are refusals.
#include <QByteArray>
#include <QList>
#include <QRandomGenerator>
#include <QString>

#include <ctime>

namespace fiabilite {

const QString kPris = QStringLiteral("Quelqu'un travaille déjà sur ce texte!");
const QString kMemeNom = QStringLiteral("Quelqu'un travaille sur un fichier de même nom!");

// CLOCK_MONOTONIC is one clock for every process of the machine, so the
// journals of all copies can be laid side by side.
inline qint64 maintenant()
{
    timespec t{};
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
}

inline quint32 somme(const QByteArray &octets)
{
    quint32 h = 2166136261u; // FNV-1a
    for (const char c : octets)
        h = (h ^ quint8(c)) * 16777619u;
    return h;
}

// A text that names its writer and carries a checksum of its body, so a torn
// or mixed file cannot pass for a version.
inline QString version(int copie, int seq, QRandomGenerator &hasard)
{
    QByteArray corps;
    const int n = 20 + int(hasard.bounded(300));
    for (int i = 0; i < n; ++i)
        corps += i % 60 == 59 && i < n - 1 ? QByteArray("\r\n") : QByteArray(1, "abcdefghij klmnopqrstuvwxyz"[hasard.bounded(27)]);
    return QString::fromLatin1(QByteArray("copie=") + QByteArray::number(copie) + " seq=" + QByteArray::number(seq)
                               + " somme=" + QByteArray::number(somme(corps), 16) + "\r\n" + corps);
}

struct Version {
    bool valide = false;
    int copie = -1;
    int seq = -1;
};

// Every save after an open adds one CR LF at the end; those are not a tear.
inline Version lireVersion(QByteArray octets)
{
    while (octets.endsWith("\r\n"))
        octets.chop(2);
    const int fin = octets.indexOf("\r\n");
    if (fin < 0)
        return {};
    const QList<QByteArray> champs = octets.left(fin).split(' ');
    if (champs.size() != 3 || !champs[0].startsWith("copie=") || !champs[1].startsWith("seq=")
        || !champs[2].startsWith("somme="))
        return {};
    bool ok = false;
    const quint32 attendue = champs[2].mid(6).toUInt(&ok, 16);
    if (!ok || attendue != somme(octets.mid(fin + 2)))
        return {};
    return {true, champs[0].mid(6).toInt(), champs[1].mid(4).toInt()};
}

} // namespace fiabilite
