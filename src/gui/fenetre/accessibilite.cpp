#include "gui/fenetre/accessibilite.h"

#include "gui/fenetre/controles.h"
#include "gui/fenetre/etat_fenetre.h"
#include "gui/widgets/annonceur.h"
#include "gui/widgets/focus_visible.h"
#include "gui/widgets/liste_dossiers.h"
#include "gui/widgets/liste_fichiers.h"
#include "gui/widgets/zone_texte.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {

void nommer(QWidget *w, const QString &nom)
{
    w->setAccessibleName(nom);
    // What the tooltip says to the mouse, the description says to the ear.
    w->setAccessibleDescription(w->toolTip());
}

void dire(QWidget *w, const QString &nom, const QString &description)
{
    if (w->accessibleName() != nom)
        w->setAccessibleName(nom);
    if (w->accessibleDescription() != description)
        w->setAccessibleDescription(description);
}

QString longueur(const QLabel *l)
{
    const QString t = l->text().trimmed();
    return t.isEmpty() ? QString() : QStringLiteral(", ") + t;
}

} // namespace

void rendreAccessible(Controles &c)
{
    const std::pair<QPushButton *, const char *> boutons[] = {
        {c.Command1, "Ouvrir un texte"}, {c.Command2, "Enregistrer"}, {c.Command3, "Imprimer"},
        {c.couper, "Couper"},           {c.copier, "Copier"},        {c.coller, "Coller"},
        {c.Command4, "À propos de Plumor"},
    };
    for (const auto &[b, nom] : boutons) {
        nommer(b, QString::fromUtf8(nom));
        appuyerParEntree(b);
    }
    nommer(c.File1, QStringLiteral("Liste des textes"));
    nommer(c.Dir1, QStringLiteral("Liste des dossiers"));
    nommer(c.Combo2, QStringLiteral("Thème du lexique"));
    nommer(c.lexique, QStringLiteral("Mots du thème"));
    // The captions beside a control name it; none has a mnemonic, so no key
    // is added.
    c.Label3->setBuddy(c.Text1);
    c.Label5->setBuddy(c.File1);
    c.Label6->setBuddy(c.Combo2);
    c.annonce = new Annonceur(c.client);
}

void decrireTextes(const EtatFenetre &etat, Controles &c)
{
    const QString ecrit = !etat.fichier_courant.isEmpty()
                              ? QFileInfo(etat.fichier_courant).fileName()
                          : c.Text1->estVide() ? QStringLiteral("aucun texte")
                                               : QStringLiteral("nouveau texte");
    dire(c.Text1, QStringLiteral("Zone d'écriture : ") + ecrit,
         c.Text1->toolTip() + longueur(c.taille_plumor)
             + (c.Text1->isReadOnly() ? QStringLiteral(", patientez : une commande est en cours") : QString()));
    const QString lu = c.nom_texte2->text().trimmed();
    dire(c.Text2, QStringLiteral("Texte lu : ") + (lu.isEmpty() ? QStringLiteral("aucun texte") : lu),
         c.Text2->toolTip() + longueur(c.taille));
}
