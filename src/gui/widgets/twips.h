#pragma once

#include <QRect>
#include <QSize>

// Places and sizes are designed in twips (1/1440 inch): 15 twips make one
// device-independent pixel at 96 dpi.
namespace twips {

constexpr int parPixel = 15;

constexpr int versPixels(int t)
{
    return t >= 0 ? (t + parPixel / 2) / parPixel : -((-t + parPixel / 2) / parPixel);
}

constexpr int depuisPixels(int px) { return px * parPixel; }

inline QRect rect(int gauche, int haut, int largeur, int hauteur)
{
    return QRect(versPixels(gauche), versPixels(haut), versPixels(largeur), versPixels(hauteur));
}

inline QSize taille(int largeur, int hauteur)
{
    return QSize(versPixels(largeur), versPixels(hauteur));
}

} // namespace twips
