#include "gui/widgets/annonceur.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QTimer>

namespace {
QAccessibleInterface *interfaceAnnonceur(const QString &classe, QObject *objet)
{
    if (classe == QLatin1String("Annonceur") && objet && objet->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(objet), QAccessible::StatusBar);
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
    // A new name sends its own event; the same outcome twice in a row is
    // news twice, so then the event goes out by hand.
    if (accessibleName() != texte) {
        setAccessibleName(texte);
        return;
    }
    QAccessibleEvent e(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&e);
}

void Annonceur::annoncer(QWidget *w, const QString &phrase)
{
    if (auto *a = w ? w->window()->findChild<Annonceur *>() : nullptr)
        a->annoncer(phrase);
}
