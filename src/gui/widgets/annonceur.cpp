#include "gui/widgets/annonceur.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QTimer>

namespace {
QAccessibleInterface *interfaceAnnonceur(const QString &classe, QObject *objet)
{
    if (classe == QLatin1String("Annonceur") && objet && objet->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(objet), QAccessible::Notification);
    return nullptr;
}
} // namespace

Annonceur::Annonceur(QWidget *parent) : QWidget(parent)
{
    static const bool fabrique = (QAccessible::installFactory(interfaceAnnonceur), true);
    Q_UNUSED(fabrique);
    setObjectName(QStringLiteral("annonce"));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(0, 0, 1, 1);
    lower();
    window()->installEventFilter(this);
}

void Annonceur::annoncer(const QString &phrase)
{
    if (m_enAttente.isEmpty())
        QTimer::singleShot(0, this, &Annonceur::dire);
    m_enAttente << phrase;
}

void Annonceur::dire()
{
    const QString texte = m_enAttente.join(u' ');
    m_enAttente.clear();
    if (accessibleName() != texte)
        setAccessibleName(texte);
    m_aMontrer = true;
    montrer();
}

void Annonceur::montrer()
{
    // Screen readers ignore a name change away from the focus, but speak a
    // notification as it appears, whatever has the focus: the widget stays
    // where it is and says it appeared again, once per outcome. After a
    // dialog, only once the window is active again: Orca drops a
    // notification that comes amid the flood of events a closing dialog
    // sends, before the window's activation and focus.
    if (!m_aMontrer || !window()->isActiveWindow())
        return;
    m_aMontrer = false;
    QAccessibleEvent e(this, QAccessible::ObjectShow);
    QAccessible::updateAccessibility(&e);
}

bool Annonceur::eventFilter(QObject *, QEvent *e)
{
    // After the activation's own events.
    if (e->type() == QEvent::WindowActivate && m_aMontrer)
        QTimer::singleShot(0, this, &Annonceur::montrer);
    return false;
}

void Annonceur::annoncer(QWidget *w, const QString &phrase)
{
    if (auto *a = w ? w->window()->findChild<Annonceur *>() : nullptr)
        a->annoncer(phrase);
}
