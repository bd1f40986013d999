#pragma once

class QMainWindow;
struct Controles;
struct EtatFenetre;

// What a screen reader says of the window: a French name for every control
// that takes the focus, the tooltips as descriptions, the status that speaks
// outcomes, and F10 for the menu bar. Nothing a sighted pupil sees changes.
void rendreAccessible(QMainWindow *fenetre, Controles &c);

// Puts into the panes' names and descriptions what only the labels under
// them show: the text's name and its length. Changes nothing when they are
// already said, so that the 500 ms tick sends no event. The writing zone's
// length changes only while it has no focus or with its name, unless
// `zoneAussi`.
void decrireTextes(const EtatFenetre &etat, Controles &c, bool zoneAussi = false);

// The writing zone's length made current each time it takes the focus.
void suivreLaZone(const EtatFenetre &etat, Controles &c);
