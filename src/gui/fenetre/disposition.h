#pragma once

#include <QSize>
#include <Qt>

struct Controles;

// The main window's layout on resize (Form_Resize), in twips. The pure part
// maps the window's outer size (frame, title and menu bar included) to the
// places of the controls that follow the window's edges.
namespace disposition {

constexpr int hauteurMinimale = 6000;
constexpr int largeurMinimale = 12000;
constexpr int margeDroiteFrame3 = 100;
constexpr int margeBasFrame3 = 800;
constexpr int margeBasVolets = 500;   // between a pane's lower edge and Frame3's
constexpr int ecartSousVolet = 50;    // between a pane's lower edge and its labels
constexpr int retraitGaucheFrame3 = 300;

// Design-time places the layout reads but never changes.
constexpr int haut_Frame3 = 0;
constexpr int largeur_Frame3 = 5610;
constexpr int haut_Text2 = 2400;
constexpr int haut_Text1 = 1035;

// What the layout sets; every other coordinate keeps its design-time value.
struct Disposition {
    int largeurFenetre = 0; // outer size after the minimum
    int hauteurFenetre = 0;
    int gauche_Frame3 = 0;
    int hauteur_Frame3 = 0;
    int hauteur_Text2 = 0;
    int haut_nom_texte2 = 0;
    int haut_taille = 0;
    int hauteur_Text1 = 0;
    int largeur_Text1 = 0;
    int haut_taille_plumor = 0;
    int haut_Label4 = 0;
};

// The places for an outer size. With imposerMinimum false the size is
// taken as it is (a maximised or minimised window must not be resized);
// sizes are clamped at 0 so that a window smaller than its controls never
// gives a control a negative size.
Disposition calculer(int largeurFenetre, int hauteurFenetre, bool imposerMinimum = true);

// Whether the handler may resize a window in this state to enforce the
// minimum: never while it is minimised, maximised or full screen.
bool minimumImposable(Qt::WindowStates etat);

// calculer() with the minimum enforced only where the state allows it.
Disposition pourEtat(int largeurFenetre, int hauteurFenetre, Qt::WindowStates etat);

// What the resize handler applies to a window whose client area (menu bar
// included) is `client`, inside a window manager's frame that adds `cadre`
// to it: the places, the client size that gives the outer size the layout
// wants, and the smallest client size the window may be given.
struct Fenetre {
    Disposition places;
    QSize client;
    QSize clientMinimal;
};
Fenetre pourClient(QSize client, QSize cadre, Qt::WindowStates etat);

// Moves and stretches the controls (pixels via twips::versPixels); the
// coordinates the layout does not set keep their current values.
void appliquer(const Disposition &d, Controles &c);

} // namespace disposition
