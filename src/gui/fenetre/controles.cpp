#include "gui/fenetre/controles.h"

#include "gui/widgets/liste_dossiers.h"
#include "gui/widgets/liste_fichiers.h"
#include "gui/widgets/pictogrammes.h"
#include "gui/widgets/twips.h"
#include "gui/widgets/zone_texte.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>

namespace {

QFont police(const char *famille, qreal points, bool gras = false)
{
    QFont f{QLatin1String(famille)};
    f.setPointSizeF(points);
    f.setBold(gras);
    return f;
}

// The labels under the panes: MS Sans Serif 8.25 pt bold, dark grey.
void styleEtiquetteLongueur(QLabel *l)
{
    l->setFont(police("MS Sans Serif", 8.25, true));
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, QColor(64, 64, 64));
    l->setPalette(p);
}

QPushButton *bouton(QWidget *parent, const char *nom, Pictogramme image, int gauche, int haut,
                    int largeur, int hauteur, int tailleImage = 16)
{
    auto *b = place(new QPushButton(parent), nom, gauche, haut, largeur, hauteur);
    b->setIcon(iconePictogramme(image));
    b->setIconSize(QSize(tailleImage, tailleImage));
    return b;
}

QFrame *cadre(QWidget *parent, const char *nom, int gauche, int haut, int largeur, int hauteur)
{
    auto *f = place(new QFrame(parent), nom, gauche, haut, largeur, hauteur);
    f->setFrameShape(QFrame::Box);
    f->setFrameShadow(QFrame::Sunken);
    return f;
}

QListWidget *listeBlanche(QListWidget *l)
{
    QPalette p = l->palette();
    p.setColor(QPalette::Base, Qt::white);
    l->setPalette(p);
    return l;
}

QAction *item(QMenu *menu, const char *nom, const QString &texte, bool actif = true)
{
    QAction *a = menu->addAction(texte);
    a->setObjectName(QLatin1String(nom));
    a->setEnabled(actif);
    return a;
}

QAction *separateur(QMenu *menu, const char *nom)
{
    QAction *a = menu->addSeparator();
    a->setObjectName(QLatin1String(nom));
    return a;
}

void construireMenus(QMainWindow *fenetre, Controles &c)
{
    QMenuBar *barre = fenetre->menuBar();

    c.fichier = barre->addMenu(QStringLiteral("Fichier"));
    c.fichier->setObjectName(QStringLiteral("fichier"));
    c.ouvrir = item(c.fichier, "ouvrir", QStringLiteral("Ouvrir"));
    c.Fermer = item(c.fichier, "Fermer", QStringLiteral("Fermer"), false);
    c.enregistrer = item(c.fichier, "enregistrer", QStringLiteral("Enregistrer"), false);
    c.enregistrer_sous = item(c.fichier, "enregistrer_sous", QStringLiteral("Enregistrer sous..."), false);
    c.Imprimer = item(c.fichier, "Imprimer", QStringLiteral("Imprimer"), false);
    c.trait1 = separateur(c.fichier, "trait1");
    c.Quitter = item(c.fichier, "Quitter", QStringLiteral("Quitter"));

    c.Edition = barre->addMenu(QStringLiteral("Edition"));
    c.Edition->setObjectName(QStringLiteral("Edition"));
    const QString captions[3] = {QStringLiteral("Couper"), QStringLiteral("Copier"), QStringLiteral("Coller")};
    for (int i = 0; i < 3; ++i) {
        c.Edititem[size_t(i)] = item(c.Edition, "Edititem", captions[i]);
        c.Edititem[size_t(i)]->setData(i); // the item's Index
    }

    // A menu-bar entry without items that acts when clicked.
    c.police = barre->addAction(QStringLiteral("Polices"));
    c.police->setObjectName(QStringLiteral("police"));

    c.a_propos = barre->addMenu(QStringLiteral("?"));
    c.a_propos->setObjectName(QStringLiteral("a_propos"));
    c.aide = item(c.a_propos, "aide", QStringLiteral("Aide"), false);
    c.trait2 = separateur(c.a_propos, "trait2");
    c.about = item(c.a_propos, "about", QStringLiteral("à propos...."));
}

} // namespace

QLabel *nouveauLabel(QWidget *parent, const char *nom, const QString &texte)
{
    auto *l = new QLabel(texte, parent);
    l->setObjectName(QLatin1String(nom));
    l->setTextFormat(Qt::PlainText);
    return l;
}

QString libelleLongueur(qsizetype longueur)
{
    return QLatin1Char(' ') + QString::number(longueur) + QLatin1String(" carac.");
}

Controles construireControles(QMainWindow *fenetre)
{
    Controles c;
    c.client = new QWidget(fenetre);
    c.client->setObjectName(QStringLiteral("client"));
    fenetre->setCentralWidget(c.client);
    QWidget *w = c.client;

    c.Frame1 = cadre(w, "Frame1", 0, 0, 6360, 675);
    c.Command1 = bouton(w, "Command1", Pictogramme::OuvrirDossier, 180, 165, 490, 460);
    c.Command2 = bouton(w, "Command2", Pictogramme::Disquette, 660, 165, 490, 460);
    c.Command3 = bouton(w, "Command3", Pictogramme::Imprimante, 1140, 165, 490, 460);
    c.couper = bouton(w, "couper", Pictogramme::Ciseaux, 2475, 165, 490, 460);
    c.copier = bouton(w, "copier", Pictogramme::DeuxPages, 2955, 165, 490, 460);
    c.coller = bouton(w, "coller", Pictogramme::PressePapiers, 3435, 165, 490, 460);
    c.Command4 = bouton(w, "Command4", Pictogramme::Plumor, 5835, 150, 465, 465, 32);
    c.Command4->setToolTip(QStringLiteral("à propos..."));
    for (QPushButton *b : {c.couper, c.copier, c.coller})
        b->setEnabled(false);

    c.Label3 = place(nouveauLabel(w, "Label3", QStringLiteral("texte en phase d'écriture:")), "Label3", 120, 750, 4305, 225);

    c.Text1 = place(new ZoneTexte(w), "Text1", 120, 1035, 6225, 6380);
    c.Text1->setToolTip(QStringLiteral("zone d'écriture"));
    c.Text1->setFont(police("Comic Sans MS", 11.25));

    c.Label4 = place(nouveauLabel(w, "Label4"), "Label4", 120, 7440, 3975, 330);
    c.taille_plumor = place(nouveauLabel(w, "taille_plumor"), "taille_plumor", 4200, 7440, 2085, 330);
    styleEtiquetteLongueur(c.Label4);
    styleEtiquetteLongueur(c.taille_plumor);

    c.Frame3 = cadre(w, "Frame3", 6465, 0, 5610, 7815);
    QWidget *f = c.Frame3;
    c.Label5 = place(nouveauLabel(f, "Label5", QStringLiteral("textes existants:")), "Label5", 150, 135, 2505, 195);
    c.File1 = place(new ListeFichiers(f), "File1", 120, 360, 2640, 1455);
    listeBlanche(c.File1);
    c.File1->setToolTip(QStringLiteral("clic sur un texte pour affichage"));
    c.Dir1 = place(new ListeDossiers(f), "Dir1", 2880, 360, 2475, 1215);
    listeBlanche(c.Dir1);
    c.Dir1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    c.Dir1->setToolTip(QStringLiteral("sous-dossiers du dossier principal"));
    c.Label6 = place(nouveauLabel(f, "Label6", QStringLiteral("lexique")), "Label6", 2880, 1680, 2070, 255);
    c.Combo2 = place(new QComboBox(f), "Combo2", 2880, 1920, 2475, 315);
    c.Combo2->setToolTip(QStringLiteral("lexique thématique"));
    c.theme = place(nouveauLabel(f, "theme"), "theme", 1320, 1920, 660, 300);
    c.theme->hide();
    c.Text2 = place(new ZoneTexte(f), "Text2", 120, 2400, 5385, 5025);
    c.Text2->setReadOnly(true);
    c.Text2->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    c.Text2->setToolTip(QStringLiteral("accès lecture uniquement: sélection et copier actifs"));
    c.Text2->setFont(police("Comic Sans MS", 11.25));
    {
        QPalette p = c.Text2->palette();
        p.setColor(QPalette::Base, QColor(255, 255, 192));
        c.Text2->setPalette(p);
    }
    // The word list is created after the reader pane so that it stands in front of it.
    c.lexique = place(new QListWidget(f), "lexique", 2160, 2280, 3400, 3960);
    c.lexique->setToolTip(QStringLiteral("clic sur un mot pour copier"));
    c.lexique->setFont(police("MS Sans Serif", 12, true));
    c.lexique->hide();
    c.nom_texte2 = place(nouveauLabel(f, "nom_texte2"), "nom_texte2", 120, 7440, 3465, 285);
    c.taille = place(nouveauLabel(f, "taille"), "taille", 3600, 7440, 1935, 285);
    styleEtiquetteLongueur(c.nom_texte2);
    styleEtiquetteLongueur(c.taille);

    c.Timer1 = new QTimer(fenetre);
    c.Timer1->setObjectName(QStringLiteral("Timer1"));
    c.Timer1->setInterval(500);

    construireMenus(fenetre, c);

    // Tab order; the writing zone comes first and so has the focus.
    QWidget *ordre[] = {c.Text1, c.Command1, c.Command2, c.Command3, c.couper, c.copier, c.coller,
                        c.Command4, c.File1, c.Dir1, c.Combo2, c.Text2, c.lexique};
    for (size_t i = 0; i + 1 < std::size(ordre); ++i)
        QWidget::setTabOrder(ordre[i], ordre[i + 1]);
    for (QWidget *x : std::initializer_list<QWidget *>{c.Frame1, c.Frame3})
        x->setFocusPolicy(Qt::NoFocus);
    c.Text1->setFocus();
    return c;
}
