#include "gui/version.h"

// Defined for this file only by the build, from project(... VERSION ...).
#if !defined(PLUMOR_VERSION_MAJEURE) || !defined(PLUMOR_VERSION_MINEURE) || !defined(PLUMOR_VERSION_REVISION)
#error "the build must define the PLUMOR_VERSION_* numbers"
#endif

int versionMajeure() { return PLUMOR_VERSION_MAJEURE; }
int versionMineure() { return PLUMOR_VERSION_MINEURE; }
int versionRevision() { return PLUMOR_VERSION_REVISION; }

QString texteVersion(int majeure, int mineure, int revision)
{
    // A field width pads but never cuts, so longer numbers stay whole.
    return QStringLiteral("%1.%2.%3")
        .arg(majeure)
        .arg(mineure, 2, 10, QLatin1Char('0'))
        .arg(revision, 4, 10, QLatin1Char('0'));
}

QString texteVersionProgramme()
{
    return texteVersion(versionMajeure(), versionMineure(), versionRevision());
}
