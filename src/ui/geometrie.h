#pragma once

// Window geometry in twips, free of widgets.
namespace geometrie {

// Left (or top) edge that centres a window on the screen: the difference is
// taken in whole twips and halved, the remainder dropped.
constexpr int centrer(int ecran, int fenetre)
{
    return (ecran - fenetre) / 2;
}

} // namespace geometrie
