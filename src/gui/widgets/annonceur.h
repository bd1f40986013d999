#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

// A status that assistive technology speaks and nobody sees: Qt 6.4 has no
// announcement event, so an outcome that shows no message box becomes the
// name of this notification, which then says it is shown again. It stands
// 1 pixel wide and paints nothing, because a hidden widget is not read.
class Annonceur : public QWidget
{
    Q_OBJECT
public:
    explicit Annonceur(QWidget *parent);

    // Phrases said in the same turn of the event loop are spoken together,
    // so that a close and the release it brings are one status.
    void annoncer(const QString &phrase);
    QString derniereAnnonce() const { return accessibleName(); }

    // The announcer of the window `w` belongs to; nothing when it has none.
    static void annoncer(QWidget *w, const QString &phrase);

protected:
    bool eventFilter(QObject *o, QEvent *e) override;

private:
    void dire();
    void montrer();
    QStringList m_enAttente;
    bool m_aMontrer = false;
};
