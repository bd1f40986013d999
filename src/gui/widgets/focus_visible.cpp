#include "gui/widgets/focus_visible.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOption>

namespace {

const QColor couleurAnneau(0, 0, 0);
// #308CC6, the style's own, gives white text 3.7:1 only.
const QColor couleurSelection(0x25, 0x73, 0xA8);

void encadrer(QPainter *p, const QRect &r, int epaisseur)
{
    p->save();
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setPen(Qt::NoPen);
    p->setBrush(couleurAnneau);
    const QRegion anneau = QRegion(r).subtracted(QRegion(r.adjusted(epaisseur, epaisseur, -epaisseur, -epaisseur)));
    for (const QRect &morceau : anneau)
        p->drawRect(morceau);
    p->restore();
}

class StyleFocus : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    void drawPrimitive(PrimitiveElement e, const QStyleOption *o, QPainter *p, const QWidget *w) const override
    {
        // The current item of a list; the base style draws it faintly and
        // only after a Tab.
        if (e == PE_FrameFocusRect) {
            encadrer(p, o->rect, 1);
            return;
        }
        QProxyStyle::drawPrimitive(e, o, p, w);
    }

    void drawControl(ControlElement e, const QStyleOption *o, QPainter *p, const QWidget *w) const override
    {
        QProxyStyle::drawControl(e, o, p, w);
        // The entry reached by Alt before its menu opens: the base
        // style leaves it unmarked.
        if (e == CE_MenuBarItem && (o->state & State_Selected) && !(o->state & State_Sunken)
            && qobject_cast<const QMenuBar *>(w) && w->hasFocus())
            encadrer(p, o->rect, 2);
    }
};

// A frame over the focused control's edge, in the same parent, so that it
// follows the control through every layout; mouse events go through it.
class Anneau : public QWidget
{
public:
    Anneau() : QWidget(nullptr)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoChildEventsForParent);
        setFocusPolicy(Qt::NoFocus);
    }

    void entourer(QWidget *cible)
    {
        if (m_cible)
            m_cible->removeEventFilter(this);
        m_cible = cible;
        if (!cible || cible->isWindow() || !cible->parentWidget()) {
            hide();
            return;
        }
        if (parentWidget() != cible->parentWidget())
            setParent(cible->parentWidget());
        cible->installEventFilter(this);
        placer();
    }

    QWidget *cible() const { return isVisible() ? m_cible.data() : nullptr; }

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        switch (e->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::ZOrderChange:
            if (o == m_cible)
                placer();
            break;
        default:
            break;
        }
        return false;
    }

    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        encadrer(&p, rect(), 2);
    }

private:
    void placer()
    {
        if (!m_cible || m_cible->isHidden()) {
            hide();
            return;
        }
        setGeometry(m_cible->geometry());
        setMask(QRegion(rect()).subtracted(QRegion(rect().adjusted(2, 2, -2, -2))));
        show();
        raise();
    }

    QPointer<QWidget> m_cible;
};

QPointer<Anneau> anneau;

class FiltreEntree : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() != QEvent::KeyPress)
            return false;
        const auto *k = static_cast<QKeyEvent *>(e);
        if ((k->key() != Qt::Key_Return && k->key() != Qt::Key_Enter) || k->modifiers() & ~Qt::KeypadModifier)
            return false;
        if (!k->isAutoRepeat())
            static_cast<QAbstractButton *>(o)->click();
        return true;
    }
};

void suivreFocus(QWidget *, QWidget *focus)
{
    if (!anneau)
        anneau = new Anneau;
    // A menu or a popup list draws its own highlight.
    if (focus && (focus->window()->windowType() == Qt::Popup || qobject_cast<QMenu *>(focus)))
        focus = nullptr;
    anneau->entourer(focus);
}

} // namespace

void rendreFocusVisible(QApplication &app)
{
    app.setStyle(new StyleFocus(app.style()->name()));
    QPalette p = app.palette();
    p.setColor(QPalette::Highlight, couleurSelection);
    p.setColor(QPalette::HighlightedText, Qt::white);
    app.setPalette(p);
    QObject::connect(&app, &QApplication::focusChanged, &app, suivreFocus);
}

QWidget *controleEntoure()
{
    return anneau ? anneau->cible() : nullptr;
}

void appuyerParEntree(QAbstractButton *bouton)
{
    bouton->installEventFilter(new FiltreEntree(bouton));
}
