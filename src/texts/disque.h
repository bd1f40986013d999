#pragma once

#include <QByteArray>
#include <QString>

// Whole-file reads and writes on the class folder's disk, reporting the errno
// of a failure so that the pupil can be told in French what went wrong.
namespace disque {

// Replaces the file's content with `octets` without ever destroying the
// previous content: the bytes go to a hidden file beside it, are flushed to
// disk, and only then take the file's place. A new file gets the mode a new
// file would get; an existing one keeps its mode. Returns 0 or an errno.
int remplacer(const QString &chemin, const QByteArray &octets);

// Reads at most `limite` + 1 bytes, so that an over-long file is recognised
// without reading it whole. Returns 0 or an errno.
int lire(const QString &chemin, qint64 limite, QByteArray &octets);

// The process's file-creation mask.
unsigned int masqueCreation();

// A short French description of an errno, for the "Erreur=" messages.
QString description(int erreur);

} // namespace disque
