#include "gui/widgets/cadre.h"

#include <QEvent>
#include <QWidget>

SuiviCadre::SuiviCadre(QWidget *fenetre, Reaction reaction)
    : QObject(fenetre), m_fenetre(fenetre), m_reaction(std::move(reaction))
{
    fenetre->installEventFilter(this);
}

bool SuiviCadre::eventFilter(QObject *objet, QEvent *e)
{
    // Qt learns the frame from the move the window manager makes when it
    // reparents the window, before the window is first painted.
    if (objet == m_fenetre && (e->type() == QEvent::Move || e->type() == QEvent::Resize)) {
        const QSize cadre = m_fenetre->frameGeometry().size() - m_fenetre->size();
        if (!cadre.isNull() && cadre != m_cadre) {
            const bool premiereFois = m_cadre.isNull();
            m_cadre = cadre;
            m_reaction(premiereFois);
        }
    }
    return false;
}
