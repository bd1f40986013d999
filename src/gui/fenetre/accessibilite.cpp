#include "gui/fenetre/accessibilite.h"

#include "gui/fenetre/controles.h"
#include "gui/fenetre/etat_fenetre.h"
#include "gui/widgets/annonceur.h"
#include "gui/widgets/focus_visible.h"
#include "gui/widgets/liste_dossiers.h"
#include "gui/widgets/liste_fichiers.h"
#include "gui/widgets/zone_texte.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>

#include <functional>

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

// F10 opens the first menu of the bar, as it does in GNOME's programs; the
// menu items keep no key of their own.
void ouvrirLaBarre(QMainWindow *fenetre)
{
    const QList<QAction *> entrees = fenetre->menuBar()->actions();
    if (!entrees.isEmpty())
        fenetre->menuBar()->setActiveAction(entrees.first());
}

// Runs `avant` as the widget takes the focus, before the screen reader is
// told of it and reads the widget.
class AvantLeFocus : public QObject
{
public:
    AvantLeFocus(QWidget *w, std::function<void()> avant) : QObject(w), m_avant(std::move(avant))
    {
        w->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *e) override
    {
        if (e->type() == QEvent::FocusIn)
            m_avant();
        return false;
    }

private:
    std::function<void()> m_avant;
};

} // namespace

void rendreAccessible(QMainWindow *fenetre, Controles &c)
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
    // The captions beside the zone and the lists are not tied to them: a
    // screen reader would read the caption in place of the name.
    c.annonce = new Annonceur(c.client);
    auto *f10 = new QShortcut(QKeySequence(Qt::Key_F10), fenetre);
    QObject::connect(f10, &QShortcut::activated, fenetre, [fenetre] { ouvrirLaBarre(fenetre); });
}

void suivreLaZone(const EtatFenetre &etat, Controles &c)
{
    new AvantLeFocus(c.Text1, [&etat, &c] { decrireTextes(etat, c, true); });
}

void decrireTextes(const EtatFenetre &etat, Controles &c, bool zoneAussi)
{
    const QString ecrit = !etat.fichier_courant.isEmpty()
                              ? QFileInfo(etat.fichier_courant).fileName()
                          : c.Text1->estVide() ? QStringLiteral("aucun texte")
                                               : QStringLiteral("nouveau texte");
    // The length a screen reader hears is counted as the zone takes the
    // focus or another text comes into it; a description changed under the
    // focus at each tick would be read out at each tick.
    const QString nom = QStringLiteral("Zone d'écriture : ") + ecrit;
    const QString description = c.Text1->toolTip() + QLatin1Char(',') + libelleLongueur(c.Text1->longueurCrLf())
                                + (c.Text1->isReadOnly() ? QStringLiteral(", patientez : une commande est en cours")
                                                         : QString());
    const bool aJour = zoneAussi || !c.Text1->hasFocus() || c.Text1->accessibleName() != nom;
    dire(c.Text1, nom, aJour ? description : c.Text1->accessibleDescription());
    const QString lu = c.nom_texte2->text().trimmed();
    dire(c.Text2, QStringLiteral("Texte lu : ") + (lu.isEmpty() ? QStringLiteral("aucun texte") : lu),
         c.Text2->toolTip() + longueur(c.taille));
}
