// Word splitting and page layout of any text on any page size: no token keeps
// a CR or a tab; fragments are never empty, never hold a line break, and stay
// on the grid.
#include "base/print/decoupe.h"
#include "base/print/mise_en_page.h"
#include "base/cp1252.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *donnees, size_t taille)
{
    if (taille < 2)
        return 0;
    const double largeur = 1 + donnees[0] % 120;
    const int lignes = 1 + donnees[1] % 80;
    const QStringList jetons = decoupe(cp1252::decode(QByteArrayView(donnees + 2, qsizetype(taille - 2))));
    for (const QString &jeton : jetons) {
        if (jeton.contains(u'\r') || jeton.contains(u'\t'))
            std::abort();
    }
    const QList<FragmentImprime> fragments =
        miseEnPage(jetons, largeur, lignes, QStringLiteral("conte.txt"), [](const QString &s) { return double(s.size()); });
    for (const FragmentImprime &f : fragments) {
        if (f.texte.isEmpty() || f.texte.contains(u'\n') || f.page < 0 || f.ligne < 0 || f.colonne < 0)
            std::abort();
    }
    return 0;
}
