#include "gui/edit/presse_papiers.h"

#include <QClipboard>
#include <QGuiApplication>

void mettreSurPressePapiers(const QString &texteCrLf)
{
    QClipboard *pp = QGuiApplication::clipboard();
    pp->clear();
    QString texte = texteCrLf;
    texte.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    pp->setText(texte);
}
