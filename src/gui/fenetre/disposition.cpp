#include "gui/fenetre/disposition.h"

#include "gui/fenetre/controles.h"
#include "gui/widgets/twips.h"
#include "gui/widgets/zone_texte.h"

#include <QFrame>
#include <QLabel>

#include <algorithm>
#include <utility>

namespace disposition {

namespace {

int positif(int n) { return std::max(n, 0); }

int px(int t) { return twips::versPixels(t); }

} // namespace

Disposition calculer(int largeurFenetre, int hauteurFenetre, bool imposerMinimum)
{
    Disposition d;
    // A negative size means nothing; 0 also keeps the subtractions below far
    // from overflow.
    d.hauteurFenetre = positif(hauteurFenetre);
    d.largeurFenetre = positif(largeurFenetre);
    if (imposerMinimum) {
        if (d.hauteurFenetre < hauteurMinimale)
            d.hauteurFenetre = hauteurMinimale;
        if (d.largeurFenetre < largeurMinimale)
            d.largeurFenetre = largeurMinimale;
    }

    d.gauche_Frame3 = d.largeurFenetre - largeur_Frame3 - margeDroiteFrame3;
    d.hauteur_Frame3 = positif(d.hauteurFenetre - haut_Frame3 - margeBasFrame3);
    d.hauteur_Text2 = positif(d.hauteur_Frame3 - haut_Text2 - margeBasVolets);
    d.haut_nom_texte2 = haut_Text2 + d.hauteur_Text2 + ecartSousVolet;
    d.haut_taille = haut_Text2 + d.hauteur_Text2 + ecartSousVolet;
    d.hauteur_Text1 = positif(d.hauteur_Frame3 - haut_Text1 - margeBasVolets);
    d.largeur_Text1 = positif(d.gauche_Frame3 - retraitGaucheFrame3);
    d.haut_taille_plumor = haut_Text1 + d.hauteur_Text1 + ecartSousVolet;
    d.haut_Label4 = haut_Text1 + d.hauteur_Text1 + ecartSousVolet;
    return d;
}

bool minimumImposable(Qt::WindowStates etat)
{
    return !(etat & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

Disposition pourEtat(int largeurFenetre, int hauteurFenetre, Qt::WindowStates etat)
{
    return calculer(largeurFenetre, hauteurFenetre, minimumImposable(etat));
}

Fenetre pourClient(QSize client, QSize cadre, Qt::WindowStates etat)
{
    const QSize exterieur = client + cadre;
    Fenetre f;
    f.places = pourEtat(twips::depuisPixels(exterieur.width()), twips::depuisPixels(exterieur.height()), etat);
    f.clientMinimal = twips::taille(largeurMinimale, hauteurMinimale) - cadre;
    f.client = minimumImposable(etat)
                   ? twips::taille(f.places.largeurFenetre, f.places.hauteurFenetre) - cadre
                   : client;
    return f;
}

void appliquer(const Disposition &d, Controles &c)
{
    // Only what the layout sets changes; the other coordinates keep their
    // pixels, so nothing drifts through a round trip in twips.
    QRect r = c.Frame3->geometry();
    r.moveLeft(px(d.gauche_Frame3));
    r.setHeight(px(d.hauteur_Frame3));
    c.Frame3->setGeometry(r);

    r = c.Text2->geometry();
    r.setHeight(px(d.hauteur_Text2));
    c.Text2->setGeometry(r);

    r = c.Text1->geometry();
    r.setWidth(px(d.largeur_Text1));
    r.setHeight(px(d.hauteur_Text1));
    c.Text1->setGeometry(r);

    const std::pair<QWidget *, int> etiquettes[] = {
        {c.nom_texte2, d.haut_nom_texte2},
        {c.taille, d.haut_taille},
        {c.taille_plumor, d.haut_taille_plumor},
        {c.Label4, d.haut_Label4},
    };
    for (const auto &[w, haut] : etiquettes) {
        r = w->geometry();
        r.moveTop(px(haut));
        w->setGeometry(r);
    }
}

} // namespace disposition
