#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A share that misbehaves (tests/fiabilite/partage_capricieux.py, a FUSE
// passthrough): source() seen at point(), its faults given as JSON.
class PartageCapricieux
{
public:
    PartageCapricieux();
    ~PartageCapricieux();
    // Why the share cannot be mounted here (root, /dev/fuse and python3-fusepy
    // are needed), or an empty string.
    static QString impossible();
    QString source() const { return m_dir.filePath(QStringLiteral("source")); }
    QString point() const { return m_dir.filePath(QStringLiteral("point")); }
    // With `droits`, the kernel checks each call's rights as a server would
    // (a pupil's calls); without, the server, as root, allows everything.
    bool monter(bool droits = false);
    // The server gone: every call on the mount fails from then on.
    void arreter();
    bool fautes(const QByteArray &json);

private:
    QTemporaryDir m_dir;
    QProcess m_processus;
};

// In a test function: skipped, with the reason, where the share cannot be mounted.
#define SANS_PARTAGE_CAPRICIEUX_PASSER()                                                  \
    if (const QString pourquoi = PartageCapricieux::impossible(); !pourquoi.isEmpty()) \
    QSKIP(qPrintable(pourquoi))

