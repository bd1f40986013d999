#pragma once

#include <QString>

// Whether a token of `decoupe` is a word (`mot`) rather than a separator.
bool est_jeton_mot(const QString &jeton);

// The token with line feeds, carriage returns, tabs, spaces and
// non-breaking spaces drawn as visible signs.
QString jeton_visible(const QString &jeton);
