#pragma once

#include "gui/widgets/twips.h"

#include <QString>
#include <QWidget>

#include <array>

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QMainWindow;
class QMenu;
class QPushButton;
class QTimer;
class Annonceur;
class ListeDossiers;
class ListeFichiers;
class ZoneTexte;

// The main window's controls and menus, each named as the program's
// procedures know it (and with that object name).
struct Controles {
    QWidget *client = nullptr; // the client area the twip places are measured in

    QFrame *Frame1 = nullptr;       // band behind the toolbar buttons
    QPushButton *Command1 = nullptr; // opens a text
    QPushButton *Command2 = nullptr; // saves
    QPushButton *Command3 = nullptr; // prints
    QPushButton *couper = nullptr;
    QPushButton *copier = nullptr;
    QPushButton *coller = nullptr;
    QPushButton *Command4 = nullptr; // shows the about box
    QLabel *Label3 = nullptr;       // caption above the writing zone
    ZoneTexte *Text1 = nullptr;     // the writing zone
    QLabel *Label4 = nullptr;       // name of the text being written
    QLabel *taille_plumor = nullptr;
    QFrame *Frame3 = nullptr;       // the reading side, moved on resize
    QLabel *Label5 = nullptr;       // caption above the file list
    ListeFichiers *File1 = nullptr; // the texts of the current folder
    ListeDossiers *Dir1 = nullptr;  // the folder list
    QLabel *Label6 = nullptr;       // caption above the theme chooser
    QComboBox *Combo2 = nullptr;    // the theme chooser
    QLabel *theme = nullptr;        // never shown: the chosen theme's name
    QListWidget *lexique = nullptr;
    ZoneTexte *Text2 = nullptr;     // the read-only reader pane
    QLabel *nom_texte2 = nullptr;
    QLabel *taille = nullptr;
    QTimer *Timer1 = nullptr;       // the 500 ms tick
    Annonceur *annonce = nullptr;   // outcomes for screen readers, never shown

    QMenu *fichier = nullptr;
    QAction *ouvrir = nullptr;
    QAction *Fermer = nullptr;
    QAction *enregistrer = nullptr;
    QAction *enregistrer_sous = nullptr;
    QAction *Imprimer = nullptr;
    QAction *trait1 = nullptr;
    QAction *Quitter = nullptr;
    QMenu *Edition = nullptr;
    std::array<QAction *, 3> Edititem {}; // Couper, Copier, Coller
    QAction *police = nullptr;
    QMenu *a_propos = nullptr;
    QAction *aide = nullptr;
    QAction *trait2 = nullptr;
    QAction *about = nullptr;
};

// Builds every control at its designed place, with its look, its initial
// state and the tab order; the client area is 12105 x 7875 twips. The
// lists show no folder yet.
Controles construireControles(QMainWindow *fenetre);

// Every label that shows text from the shared folder shows it as plain text.
QLabel *nouveauLabel(QWidget *parent, const char *nom, const QString &texte = {});

// Names a control and puts it at its designed place, given in twips.
template <typename W>
W *place(W *w, const char *nom, int gauche, int haut, int largeur, int hauteur)
{
    w->setObjectName(QLatin1String(nom));
    w->setGeometry(twips::rect(gauche, haut, largeur, hauteur));
    return w;
}

// " 123 carac.": a length as the labels under the panes show it.
QString libelleLongueur(qsizetype longueur);
