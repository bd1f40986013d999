#pragma once

#include <QIcon>
#include <QPixmap>

// The pictures of the toolbar buttons and the program's icon, painted from
// vector paths so that every size comes from one source.
enum class Pictogramme {
    OuvrirDossier,   // Command1: an open folder
    Disquette,       // Command2: a diskette
    Imprimante,      // Command3: a printer
    Ciseaux,         // couper: scissors
    DeuxPages,       // copier: two pages
    PressePapiers,   // coller: a clipboard with a page
    Plumor,          // the program: a child's face with a pencil
};

// Paints the picture into a transparent square pixmap of the given size (pixels).
QPixmap dessinerPictogramme(Pictogramme quoi, int taille);

// An icon holding the usual sizes of the picture: 16, 22 and 32 pixels, and
// for Plumor also 48, 64, 128 and 256; each is painted when first asked for.
QIcon iconePictogramme(Pictogramme quoi);
