#pragma once

#include <QStringList>

// The sub-commands of plumor-outils; each takes the arguments after its own
// name and returns the exit status.
int commandeLexique(const QStringList &args);
int commandeMarques(const QStringList &args);
int commandeDecoupe(const QStringList &args);
int commandePage(const QStringList &args);
