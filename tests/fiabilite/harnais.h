#pragma once
// What the class harnesses share: their options, the copies they start from
// their own program, the "ready, go" exchange with them, the versions copies
// write, and what a file outside the class looked like.
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

namespace harnais {

// The number after `nom` in the arguments, else `defaut`.
inline int option(const QStringList &a, const char *nom, int defaut)
{
    const qsizetype i = a.indexOf(QLatin1String(nom));
    return i >= 0 && i + 1 < a.size() ? a.at(i + 1).toInt() : defaut;
}

// A line on standard output, flushed at once: the parent waits for it.
inline void dire(const char *mot)
{
    std::printf("%s\n", mot);
    std::fflush(stdout);
}

// The copy's side: ready, then the start time its parent answers (-1 if none).
inline qint64 attendreDepart()
{
    dire("pret");
    char ligne[32] = {};
    return std::fgets(ligne, sizeof ligne, stdin) ? std::strtoll(ligne, nullptr, 10) : -1;
}

// This program again, its errors on ours.
inline void lancer(QProcess &p, const QStringList &arguments)
{
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(QCoreApplication::applicationFilePath(), arguments);
}

inline bool estPret(QProcess &p)
{
    return p.waitForReadyRead(60000) && p.readLine() == "pret\n";
}

// A version of a text names its writer, its number and its length, and its
// body is one letter its number gives: a torn or mixed file cannot pass for one.
inline QByteArray version(const QByteArray &auteur, int seq, int taille)
{
    return auteur + " seq=" + QByteArray::number(seq) + " taille=" + QByteArray::number(taille) + "\r\n"
           + QByteArray(taille, char('a' + seq % 26));
}

inline bool entiere(const QByteArray &o)
{
    const QList<QByteArray> tete = o.left(o.indexOf("\r\n")).split(' ');
    return tete.size() == 3 && o == version(tete[0], tete[1].mid(4).toInt(), tete[2].mid(7).toInt());
}

// A file's mode and bytes.
inline QByteArray empreinte(const QString &chemin)
{
    QFile f(chemin);
    return QByteArray::number(int(f.permissions()), 16) + ' ' + (f.open(QIODevice::ReadOnly) ? f.readAll() : "?");
}

} // namespace harnais
