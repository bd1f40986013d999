#include "classe.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <cerrno>

QString Classe::chemin(const QString &nom) const
{
    return QDir(m_dir.path()).filePath(nom);
}

QString Classe::ecrire(const QString &nom, const QByteArray &octets) const
{
    const QString c = chemin(nom);
    QDir().mkpath(QFileInfo(c).absolutePath());
    QFile f(c);
    if (f.exists())
        f.setPermissions(f.permissions() | QFile::WriteOwner);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(octets) != octets.size())
        qFatal("cannot write %s", qPrintable(c));
    return c;
}

QByteArray Classe::octets(const QString &nom) const
{
    QFile f(chemin(nom));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<absent>");
    return f.readAll();
}

int Classe::mode(const QString &nom) const
{
    struct sys::stat st {};
    return sys::stat(QFile::encodeName(chemin(nom)).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

bool Classe::marqueSurDisque(const QString &nom) const
{
    return ::marqueSurDisque(chemin(nom));
}

bool marqueSurDisque(const QString &chemin)
{
    struct sys::stat st {};
    return sys::stat(QFile::encodeName(chemin).constData(), &st) == 0 && (st.st_mode & 0222) == 0;
}

#ifdef _WIN32
bool changerMode(const QString &chemin, unsigned int mode)
{
    // Only the read-only attribute is kept: what the write bits say.
    QFile::Permissions p = QFile::ReadOwner | QFile::ReadUser | QFile::ReadGroup | QFile::ReadOther;
    if (mode & 0222)
        p |= QFile::WriteOwner | QFile::WriteUser;
    return QFile::setPermissions(chemin, p);
}
bool creerTube(const QString &) { return false; }
bool lienSymbolique(const QString &, const QString &) { return false; }
bool lienPhysique(const QString &, const QString &) { return false; }
#else
bool changerMode(const QString &chemin, unsigned int mode)
{
    return ::chmod(QFile::encodeName(chemin).constData(), mode) == 0;
}
bool creerTube(const QString &chemin)
{
    return ::mkfifo(QFile::encodeName(chemin).constData(), 0644) == 0;
}
bool lienSymbolique(const QString &cible, const QString &lien)
{
    return ::symlink(QFile::encodeName(cible).constData(), QFile::encodeName(lien).constData()) == 0;
}
bool lienPhysique(const QString &cible, const QString &lien)
{
    return ::link(QFile::encodeName(cible).constData(), QFile::encodeName(lien).constData()) == 0;
}
#endif

QString sortie(const QString &programme, const QStringList &arguments, bool erreurs)
{
    QProcess p;
    p.setProcessChannelMode(erreurs ? QProcess::MergedChannels : QProcess::SeparateChannels);
    p.start(programme, arguments);
    p.waitForFinished(60000);
    return QString::fromLocal8Bit(p.readAllStandardOutput());
}

QStringList Classe::fichiers() const
{
    return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// The key a test gave the file, whatever name the system now gives it (on
// Windows, an open file's path may come back under another drive letter).
static QString cle(const QHash<QString, quint16> &mots, const QString &chemin)
{
    if (mots.contains(chemin))
        return chemin;
    const QString canonique = QFileInfo(chemin).canonicalFilePath();
    for (auto i = mots.cbegin(); i != mots.cend(); ++i)
        if (QFileInfo(i.key()).canonicalFilePath() == canonique)
            return i.key();
    return chemin;
}

LectureAttribut AttributsMemoire::lireNatif(const QByteArray &natif) const
{
    const QString chemin = QFile::decodeName(natif);
    if (!QFileInfo::exists(chemin))
        return {0, ENOENT};
    return {mots.value(cle(mots, chemin), motParDefaut), 0};
}

int AttributsMemoire::ecrireNatif(const QByteArray &natif, quint16 mot)
{
    const QString chemin = QFile::decodeName(natif);
    if (!QFileInfo::exists(chemin))
        return ENOENT;
    mots[cle(mots, chemin)] = mot;
    return 0;
}
