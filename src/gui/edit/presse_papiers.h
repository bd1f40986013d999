#pragma once

#include <QString>

// Empties the clipboard and puts a pane's selected text (CR LF breaks) on it
// with LF breaks, the form Qt expects and converts for native programs.
void mettreSurPressePapiers(const QString &texteCrLf);
