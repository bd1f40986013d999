#pragma once

#include <QString>
#include <QtGlobal>

#include <array>

// The main window's state, shared by every handler and procedure.
// Integers are 16-bit as the handlers expect; the strings hold Windows-1252
// text decoded one character per byte.
struct EtatFenetre {
    // Whole content of the text last read by lire_fichier; empty: nothing read.
    QString contenu_lu;
    // Full path of the text in the writing zone; empty for a new text.
    QString fichier_courant;
    // The pane clicked last: 1 the writing zone, 2 the reader pane.
    qint16 zone_active = 1;
    // Theme lines of the lexicon at 1..nb_themes; index 0 stays empty.
    std::array<QString, 101> lignes_lexique;
    qint16 nb_themes = 0;
    // 1 while the reader pane reads: the mark is neither tested nor taken.
    qint16 mode_lecture = 0;
    // fichier_courant before a file dialog replaced it.
    QString fichier_precedent;
    // 1 when the last closefile wrote the text.
    qint16 enregistrement_ok = 0;
    // 1 once the pupil has changed the writing zone.
    qint16 ecriture_en_cours = 0;
};
