#pragma once

#include "gui/widgets/twips.h"

#include <QRect>

// Window geometry in twips, free of widgets.
namespace geometrie {

// Left (or top) edge that centres a window on the screen: the difference is
// taken in whole twips and halved, the remainder dropped.
constexpr int centrer(int ecran, int fenetre)
{
    return (ecran - fenetre) / 2;
}

// Where a window's frame goes, in pixels, to stand centred on the screen
// by the formula above, reckoned in twips.
inline QPoint coinCentre(const QRect &ecran, const QSize &cadre)
{
    const int gauche = centrer(twips::depuisPixels(ecran.width()), twips::depuisPixels(cadre.width()));
    const int haut = centrer(twips::depuisPixels(ecran.height()), twips::depuisPixels(cadre.height()));
    return ecran.topLeft() + QPoint(twips::versPixels(gauche), twips::versPixels(haut));
}

// A window's frame kept inside the screen's usable area (without panels):
// shrunk when it is larger, moved when it stands out. On a small screen at a
// high scale the centred window would otherwise hide its menu bar.
inline QRect dansLEcran(QRect cadre, const QRect &disponible)
{
    if (disponible.isEmpty())
        return cadre;
    cadre.setWidth(qMin(cadre.width(), disponible.width()));
    cadre.setHeight(qMin(cadre.height(), disponible.height()));
    cadre.moveLeft(qBound(disponible.left(), cadre.left(), disponible.right() - cadre.width() + 1));
    cadre.moveTop(qBound(disponible.top(), cadre.top(), disponible.bottom() - cadre.height() + 1));
    return cadre;
}

} // namespace geometrie
