#pragma once

class QMenu;
class QWidget;
class ZoneTexte;

// The reader pane's own context menu offers only "Copier" and
// "Tout sélectionner": nothing in it may change the pane or fill the
// clipboard with anything but the pane's selection.
QMenu *creerMenuLecture(ZoneTexte *zone, QWidget *parent);

// Replaces the pane's standard context menu with that one.
void installerMenuLecture(ZoneTexte *zone);
