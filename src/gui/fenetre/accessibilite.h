#pragma once

struct Controles;
struct EtatFenetre;

// What a screen reader says of the window: a French name for every control
// that takes the focus, the captions linked to the control they name, the
// tooltips as descriptions, and the status that speaks outcomes. Nothing a
// sighted pupil sees changes.
void rendreAccessible(Controles &c);

// Puts into the panes' names and descriptions what only the labels under
// them show: the text's name and its length. Changes nothing when they are
// already said, so that the 500 ms tick sends no event.
void decrireTextes(const EtatFenetre &etat, Controles &c);
