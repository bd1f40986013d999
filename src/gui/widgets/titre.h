#pragma once

#include <QString>
#include <QWidget>

// Gives a window a title the title bar shows exactly as it is. Qt reads
// "[*]" in a title as the place of its modified mark and drops it, so every
// "[*]" of a file name is doubled; and the X11 platform shows the program's
// name in an empty title, so nothing is shown as a space.
inline void afficherTitre(QWidget &fenetre, const QString &titre)
{
    fenetre.setWindowTitle(titre.isEmpty() ? QStringLiteral(" ")
                                           : QString(titre).replace(QLatin1String("[*]"), QLatin1String("[*][*]")));
}
