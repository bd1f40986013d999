#pragma once

#include <QString>

// The program's own version numbers, taken from the build.
int versionMajeure();
int versionMineure();
int versionRevision();

// "major.minor.revision" with the minor number on 2 digits and the revision
// on 4, zeros in front; a longer number is written in full.
QString texteVersion(int majeure, int mineure, int revision);

// texteVersion() of the program's own numbers: "1.00.0004" for 1.0.4.
QString texteVersionProgramme();
