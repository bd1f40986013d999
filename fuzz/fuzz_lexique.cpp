// A lexicon file of any bytes: loading, splitting every theme line, and
// finding a theme by the names the chooser would show.
#include "base/lexicon/lexique.h"
#include "base/cp1252.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *donnees, size_t taille)
{
    const QString contenu = cp1252::decode(QByteArrayView(donnees, qsizetype(taille)));
    const Lexique l = chargerLexique(contenu);
    if (l.nbThemes < 0 || l.nbThemes > maxThemes || !l.lignes[0].isEmpty())
        std::abort();
    for (int i = 1; i <= l.nbThemes; ++i) {
        const DecoupageLigne d = decouperLigne(l.lignes[size_t(i)]);
        // A name need not start its line (leading separators), so it may be absent.
        if (d.nom) {
            const qint16 trouve = chercherTheme(l.lignes, l.nbThemes, *d.nom);
            if (trouve < 0 || trouve > l.nbThemes)
                std::abort();
        }
    }
    return 0;
}
