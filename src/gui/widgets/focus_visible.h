#pragma once

class QAbstractButton;
class QApplication;
class QWidget;

// Makes the keyboard focus visible everywhere in the application: a black
// ring 2 pixels wide drawn over the edge of whatever control has the focus
// (lists, panes, buttons and the menu bar included), a black frame round the
// current item of a list and round the menu-bar entry reached by keyboard,
// and a selection colour on which white text reaches 5.1:1. Black stands at
// least 4:1 against every colour the window shows beside it (white, the grey
// of the window, the yellow reader pane, the selection).
void rendreFocusVisible(QApplication &app);

// The widget the ring is drawn round now, or null.
QWidget *controleEntoure();

// Return and Enter press the button as Space does; Qt gives them to buttons
// in dialogs only.
void appuyerParEntree(QAbstractButton *bouton);
