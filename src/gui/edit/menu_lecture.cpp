#include "gui/edit/menu_lecture.h"

#include "gui/edit/presse_papiers.h"
#include "gui/widgets/zone_texte.h"

#include <QAction>
#include <QMenu>

QMenu *creerMenuLecture(ZoneTexte *zone, QWidget *parent)
{
    auto *menu = new QMenu(parent);
    QAction *copier = menu->addAction(QStringLiteral("Copier"), zone, [zone] {
        mettreSurPressePapiers(zone->texteSelectionne());
    });
    copier->setEnabled(zone->longueurSelection() > 0);
    menu->addSeparator();
    QAction *tout = menu->addAction(QStringLiteral("Tout sélectionner"), zone, &ZoneTexte::selectAll);
    tout->setEnabled(!zone->estVide());
    return menu;
}

void installerMenuLecture(ZoneTexte *zone)
{
    zone->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(zone, &QWidget::customContextMenuRequested, zone, [zone](const QPoint &position) {
        QMenu *menu = creerMenuLecture(zone, zone);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        // For a scroll area the position is in its viewport's coordinates.
        menu->popup(zone->viewport()->mapToGlobal(position));
    });
}
