#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

// The print grid: a column is 1/12 inch, a line 1/6 inch. Column 0, line 0
// is the top-left corner of the printable area of a page.
constexpr int twipsParColonne = 120;
constexpr int twipsParLigne = 240;

// One string to draw with its top-left corner at a place of the grid. The
// text never holds a line feed and is never empty.
struct FragmentImprime {
    int page = 0;          // from 0
    double colonne = 0.0;  // may be fractional: proportional fonts
    int ligne = 0;
    QString texte;
};

// The printed width of a string, in columns, as the printer will draw it.
using MesureLargeur = std::function<double(const QString &)>;

// Lays the tokens of `decoupe` out on pages, double-spaced under a header and
// a rule, breaking lines the French way (punctuation never starts a line,
// guillemets and dialogue dashes stand at the left edge with the text
// indented after them).
//
// `largeurColonnes` is the printable width in columns; `lignesParPage` the
// number of whole lines the printable height holds (lines 0 to
// lignesParPage - 1). A page too short for line 5 still receives one text
// line. Fragments come in drawing order, page by page; a page is only begun
// when something is printed on it. An empty header draws nothing at its place.
QList<FragmentImprime> miseEnPage(const QStringList &listemot,
                                    double largeurColonnes, int lignesParPage,
                                    const QString &entete,
                                    const MesureLargeur &mesure);
