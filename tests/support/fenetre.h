#pragma once

#include "gui/form1.h"
#include "classe.h"
#include "dialogues_scriptes.h"

#include <memory>

// A main window on a class folder with scripted dialogs.
struct Fenetre {
    std::unique_ptr<Form1> form;
    DialoguesScriptes *dialogues = nullptr;
    Controles &c() { return form->controles(); }
    EtatFenetre &etat() { return form->etat(); }
    Documents &documents() { return form->documents(); }
    // Until the commands launched have ended and the lists show what the
    // folders hold: both go through the share's thread.
    void attendre();
};
// The program folder defaults to one holding the shipped lexicon; without a
// recovery folder no recovery record is kept. Returns once the lists are filled.
Fenetre ouvrirFenetre(const QString &dossier, std::unique_ptr<Attributs> attributs = nullptr,
                      const QString &dossierProgramme = {}, const QString &dossierRecuperation = {});

// The title a window hands the window manager, after Qt's "[*]" rule.
QString titreAffiche(QWidget &w);

// Types text into a widget as key events, accents included.
void taper(QWidget *w, const QString &texte);
