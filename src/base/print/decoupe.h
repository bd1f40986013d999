#pragma once

#include <QStringList>
#include <QStringView>

// Cuts a French text into the tokens the page layout works on, in text order:
// runs of word characters (`mot`) and runs of everything else (`sep`), with
// the French rules of elision, "d'abord", inverted pronouns, the euphonic
// "-t-" and the dialogue dash glued to a word applied on the way.
//
// Tokens carry no kind: the layout only looks at their characters. A `mot`
// token may end with an apostrophe, may be "-" or "t", and may be empty
// ("grand-" gives "grand", "-", ""). Separators never keep a carriage return,
// hold four spaces for a tab, and are the only tokens holding line feeds.
//
// Runs in time linear in the length of the text.
QStringList decoupe(QStringView texte);
