#include "edit/edition.h"

#include "app/etat_fenetre.h"
#include "edit/menu_lecture.h"
#include "ui/controles.h"
#include "ui/dialogues.h"
#include "ui/zone_texte.h"

#include <QAction>
#include <QClipboard>
#include <QEvent>
#include <QFont>
#include <QGuiApplication>
#include <QMenu>
#include <QPushButton>

namespace {

const char *const proprieteReliee = "plumor_edition_reliee";

} // namespace

Edition::Edition(EtatFenetre &etat, Controles &c, Dialogues &dialogues, QObject *parent)
    : QObject(parent), m_etat(etat), m_c(c), m_dialogues(dialogues)
{
    QClipboard *pp = QGuiApplication::clipboard();
    connect(pp, &QClipboard::dataChanged, this, &Edition::relirePressePapiers);
    relirePressePapiers();
}

void Edition::relirePressePapiers()
{
    m_texteDisponible = !QGuiApplication::clipboard()->text().isEmpty();
}

void Edition::mettreSurPressePapiers(const QString &texteCrLf)
{
    QClipboard *pp = QGuiApplication::clipboard();
    pp->clear();
    QString texte = texteCrLf;
    texte.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    pp->setText(texte);
}

bool Edition::relier()
{
    if (m_c.Edition->property(proprieteReliee).toBool())
        return false;
    m_c.Edition->setProperty(proprieteReliee, true);

    connect(m_c.couper, &QPushButton::clicked, this, &Edition::couper_Click);
    connect(m_c.copier, &QPushButton::clicked, this, &Edition::copier_Click);
    connect(m_c.coller, &QPushButton::clicked, this, &Edition::coller_Click);
    connect(m_c.Edition, &QMenu::aboutToShow, this, &Edition::Edition_Click);
    for (QAction *item : m_c.Edititem) {
        connect(item, &QAction::triggered, this,
                [this, item] { Edititem_Click(static_cast<qint16>(item->data().toInt())); });
    }
    connect(m_c.police, &QAction::triggered, this, &Edition::police_Click);
    // Presses reach the viewport, not the pane itself.
    m_c.Text1->viewport()->installEventFilter(this);
    installerMenuLecture(m_c.Text2);
    return true;
}

bool Edition::eventFilter(QObject *objet, QEvent *evenement)
{
    if (evenement->type() == QEvent::MouseButtonPress && objet == m_c.Text1->viewport())
        Text1_Click();
    return false; // the pane still handles the press
}

void Edition::Text1_Click()
{
    m_etat.zone_active = 1;
    m_etat.ecriture_en_cours = 1;
}

void Edition::Edition_Click()
{
    QAction *const Couper = m_c.Edititem[0];
    QAction *const Copier = m_c.Edititem[1];
    QAction *const Coller = m_c.Edititem[2];
    if (m_etat.zone_active != 2) {
        const bool selection = m_c.Text1->longueurSelection() > 0;
        Couper->setEnabled(selection);
        Copier->setEnabled(selection);
        Coller->setEnabled(m_texteDisponible);
    } else {
        Couper->setEnabled(false);
        Copier->setEnabled(m_c.Text2->longueurSelection() > 0);
        Coller->setEnabled(false);
    }
}

void Edition::Edititem_Click(qint16 Index)
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

void Edition::couper_Click()
{
    mettreSurPressePapiers(m_c.Text1->texteSelectionne());
    m_c.Text1->remplacerSelection(QString());
}

void Edition::copier_Click()
{
    const ZoneTexte *zone = m_etat.zone_active == 2 ? m_c.Text2 : m_c.Text1;
    mettreSurPressePapiers(zone->texteSelectionne());
}

void Edition::coller_Click()
{
    if (!collerDansText1())
        return;
    // The timer would enable them only at its next tick.
    for (QAction *item : {m_c.Fermer, m_c.Imprimer, m_c.enregistrer, m_c.enregistrer_sous})
        item->setEnabled(true);
}

bool Edition::collerDansText1()
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

void Edition::police_Click()
{
    // Apply shows the font in both panes at once; OK keeps it, Cancel puts
    // back what the panes had.
    const QFont avant1 = m_c.Text1->font();
    const QFont avant2 = m_c.Text2->font();
    const std::optional<QFont> choisie =
        m_dialogues.choisirPolice([this](const QFont &essai) { appliquerPolice(essai); });
    if (!choisie) {
        m_c.Text1->setFont(avant1);
        m_c.Text2->setFont(avant2);
        return;
    }
    appliquerPolice(*choisie);
}

void Edition::appliquerPolice(const QFont &choisie)
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

void Edition::majBoutons()
{
    if (m_etat.zone_active != 2) {
        const bool selection = m_c.Text1->longueurSelection() > 0;
        m_c.couper->setEnabled(selection);
        m_c.copier->setEnabled(selection);
        m_c.coller->setEnabled(m_texteDisponible);
    } else {
        m_c.couper->setEnabled(false);
        m_c.copier->setEnabled(m_c.Text2->longueurSelection() > 0);
        m_c.coller->setEnabled(false);
    }
}
