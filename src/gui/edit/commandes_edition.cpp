#include "gui/edit/commandes_edition.h"

#include "gui/edit/menu_lecture.h"
#include "gui/edit/presse_papiers.h"
#include "gui/fenetre/controles.h"
#include "gui/widgets/dialogues.h"
#include "gui/fenetre/etat_fenetre.h"
#include "gui/widgets/zone_texte.h"

#include <QAction>
#include <QClipboard>
#include <QEvent>
#include <QFont>
#include <QGuiApplication>
#include <QMenu>
#include <QPushButton>

CommandesEdition::CommandesEdition(EtatFenetre &etat, Controles &c, Dialogues &dialogues, QObject *parent)
    : QObject(parent), m_etat(etat), m_c(c), m_dialogues(dialogues)
{
    // Read at the first tick, not here: on X11 an owner that never answers
    // would hold the window back for Qt's whole clipboard time-out.
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &CommandesEdition::relirePressePapiers);
}

void CommandesEdition::relirePressePapiers()
{
    m_texteDisponible = !QGuiApplication::clipboard()->text().isEmpty();
}

void CommandesEdition::relier()
{
    connect(m_c.couper, &QPushButton::clicked, this, &CommandesEdition::couper_Click);
    connect(m_c.copier, &QPushButton::clicked, this, &CommandesEdition::copier_Click);
    connect(m_c.coller, &QPushButton::clicked, this, &CommandesEdition::coller_Click);
    connect(m_c.Edition, &QMenu::aboutToShow, this, &CommandesEdition::Edition_Click);
    for (QAction *item : m_c.Edititem) {
        connect(item, &QAction::triggered, this,
                [this, item] { Edititem_Click(static_cast<qint16>(item->data().toInt())); });
    }
    connect(m_c.police, &QAction::triggered, this, &CommandesEdition::police_Click);
    // Presses reach the viewport, not the pane itself.
    m_c.Text1->viewport()->installEventFilter(this);
    installerMenuLecture(m_c.Text2);
}

bool CommandesEdition::eventFilter(QObject *objet, QEvent *evenement)
{
    if (evenement->type() == QEvent::MouseButtonPress && objet == m_c.Text1->viewport())
        Text1_Click();
    return false; // the pane still handles the press
}

void CommandesEdition::Text1_Click()
{
    m_etat.zone_active = 1;
    m_etat.ecriture_en_cours = 1;
}

CommandesEdition::Possibles CommandesEdition::possibles() const
{
    if (m_etat.zone_active == 2)
        return {false, m_c.Text2->longueurSelection() > 0, false};
    const bool selection = m_c.Text1->longueurSelection() > 0;
    return {selection, selection, m_texteDisponible};
}

void CommandesEdition::Edition_Click()
{
    const Possibles p = possibles();
    m_c.Edititem[0]->setEnabled(p.couper);
    m_c.Edititem[1]->setEnabled(p.copier);
    m_c.Edititem[2]->setEnabled(p.coller);
}

void CommandesEdition::Edititem_Click(qint16 Index)
{
    if (m_etat.zone_active == 1) {
        switch (Index) {
        case 0:
            mettreSurPressePapiers(m_c.Text1->texteSelectionne());
            m_c.Text1->remplacerSelection(QString());
            break;
        case 1:
            mettreSurPressePapiers(m_c.Text1->texteSelectionne());
            break;
        case 2:
            collerDansText1();
            break;
        default:
            break;
        }
    } else if (Index == 1) {
        // The menu rule leaves only Copier enabled on the reader pane.
        mettreSurPressePapiers(m_c.Text2->texteSelectionne());
    }
}

void CommandesEdition::couper_Click()
{
    mettreSurPressePapiers(m_c.Text1->texteSelectionne());
    m_c.Text1->remplacerSelection(QString());
}

void CommandesEdition::copier_Click()
{
    const ZoneTexte *zone = m_etat.zone_active == 2 ? m_c.Text2 : m_c.Text1;
    mettreSurPressePapiers(zone->texteSelectionne());
}

void CommandesEdition::coller_Click()
{
    if (!collerDansText1())
        return;
    // The timer would enable them only at its next tick.
    for (QAction *item : {m_c.Fermer, m_c.Imprimer, m_c.enregistrer, m_c.enregistrer_sous})
        item->setEnabled(true);
}

bool CommandesEdition::collerDansText1()
{
    const QString texte = QGuiApplication::clipboard()->text();
    m_texteDisponible = !texte.isEmpty();
    // A stale button may still be enabled: pasting nothing must not delete
    // the selection.
    if (texte.isEmpty())
        return false;
    m_c.Text1->remplacerSelection(texte);
    return true;
}

void CommandesEdition::police_Click()
{
    // Apply shows the font in both panes at once; OK keeps it, Cancel puts
    // back what the panes had.
    const QFont avant1 = m_c.Text1->font();
    const QFont avant2 = m_c.Text2->font();
    const std::optional<QFont> choisie =
        m_dialogues.choisirPolice(avant1, Dialogues::ChoixPolice::FaceEtTaille,
                                  [this](const QFont &essai) { appliquerPolice(essai); });
    if (!choisie) {
        m_c.Text1->setFont(avant1);
        m_c.Text2->setFont(avant2);
        return;
    }
    appliquerPolice(*choisie);
}

void CommandesEdition::appliquerPolice(const QFont &choisie)
{
    const QString face = choisie.family();
    // The size travels as a single-precision number of points.
    const float points = static_cast<float>(choisie.pointSizeF());
    if (face.isEmpty() || !(points > 0))
        return;
    // Only the face and the size: bold and italic stay as the pane has them.
    for (ZoneTexte *zone : {m_c.Text1, m_c.Text2}) {
        QFont f = zone->font();
        f.setFamily(face);
        f.setPointSizeF(points);
        zone->setFont(f);
    }
}

void CommandesEdition::majBoutons()
{
    if (!m_pressePapiersLu) {
        m_pressePapiersLu = true;
        relirePressePapiers();
    }
    const Possibles p = possibles();
    m_c.couper->setEnabled(p.couper);
    m_c.copier->setEnabled(p.copier);
    m_c.coller->setEnabled(p.coller);
}
