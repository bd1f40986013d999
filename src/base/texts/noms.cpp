#include "base/texts/noms.h"

#include <QStringList>

namespace noms {

QString pasPortable(const QString &nom)
{
    // Windows drops them from every name it is given: it could never open
    // such a text.
    if (nom.endsWith(u' '))
        return QStringLiteral("il finit par un espace.");
    if (nom.endsWith(u'.'))
        return QStringLiteral("il finit par un point.");
    for (const QChar c : nom) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return QStringLiteral("il contient un signe invisible, comme un retour à la ligne.");
        if (QStringView(u"\\:*?\"<>|").contains(c))
            return QStringLiteral("il contient le signe « %1 ».").arg(c);
    }
    // A device keeps its name whatever follows the first dot ("nul.txt" is
    // NUL), and Windows ignores the spaces before that dot.
    QString base = nom.section(u'.', 0, 0);
    while (base.endsWith(u' '))
        base.chop(1);
    const QString haut = base.toUpper();
    static const QStringList appareils{QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
                                       QStringLiteral("NUL")};
    const bool port = base.size() == 4 && (haut.startsWith(u"COM") || haut.startsWith(u"LPT"))
                      && QStringView(u"123456789\u00B9\u00B2\u00B3").contains(base.back());
    if (appareils.contains(haut) || port)
        return QStringLiteral("« %1 » est un nom réservé à l'ordinateur.").arg(base);
    return {};
}

} // namespace noms
