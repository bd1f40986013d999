#pragma once

#include <QObject>
#include <QSize>

#include <functional>

class QWidget;

// A window manager frames a window only once it is mapped: until then a
// window's outer size is its inner one, and a layout or a centring reckoned
// from it is off by the title bar and the borders. SuiviCadre calls its
// reaction when the frame around a top-level window becomes known, and
// again whenever its size changes (a maximised window may lose its borders).
class SuiviCadre : public QObject
{
public:
    using Reaction = std::function<void(bool premiereFois)>;
    SuiviCadre(QWidget *fenetre, Reaction reaction);

protected:
    bool eventFilter(QObject *objet, QEvent *e) override;

private:
    QWidget *m_fenetre;
    Reaction m_reaction;
    QSize m_cadre{0, 0}; // none yet
};
