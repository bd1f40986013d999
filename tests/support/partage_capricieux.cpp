#include "partage_capricieux.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

PartageCapricieux::PartageCapricieux()
{
    QDir().mkpath(point());
}

PartageCapricieux::~PartageCapricieux()
{
    arreter();
}

QString PartageCapricieux::impossible()
{
    if (::geteuid() != 0)
        return QStringLiteral("mounting the faulty share needs root");
    if (!QFile::exists(QStringLiteral("/dev/fuse")))
        return QStringLiteral("no /dev/fuse here");
    if (!QFile::exists(QStringLiteral("/usr/lib/python3/dist-packages/fusepy.py")))
        return QStringLiteral("python3-fusepy is not installed");
    return {};
}

bool PartageCapricieux::monter(bool droits)
{
    QDir().mkpath(source());
    fautes("{}");
    QStringList arguments{QStringLiteral(RIG), source(), point(), m_dir.filePath(QStringLiteral("fautes.json"))};
    if (droits)
        arguments << QStringLiteral("droits");
    m_processus.start(QStringLiteral("/usr/bin/python3"), arguments);
    for (int i = 0; i < 100; ++i, QTest::qWait(50)) {
        struct stat a {}, b {};
        if (::stat(QFile::encodeName(point()).constData(), &a) == 0
            && ::stat(QFile::encodeName(m_dir.path()).constData(), &b) == 0 && a.st_dev != b.st_dev)
            return true;
    }
    return false;
}

void PartageCapricieux::arreter()
{
    m_processus.kill();
    m_processus.waitForFinished();
    QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), point()});
}

bool PartageCapricieux::fautes(const QByteArray &json)
{
    QFile f(m_dir.filePath(QStringLiteral("fautes.json")));
    return f.open(QIODevice::WriteOnly) && f.write(json) == json.size();
}
