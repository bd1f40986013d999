#pragma once

#include <QStringList>

// The sub-commands of plumor-outils; each takes the arguments after its own
// name and returns the exit status.
int commande_lexique(const QStringList &args);
int commande_marques(const QStringList &args);
int commande_decoupe(const QStringList &args);
int commande_page(const QStringList &args);
