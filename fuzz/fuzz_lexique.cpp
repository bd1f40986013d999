// A lexicon file of any bytes: loading, splitting every theme line, and
// finding a theme by the names the chooser would show.
#include "lexicon/lexique.h"
#include "texts/cp1252.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *donnees, size_t taille)
{
    const QString contenu = cp1252::decode(QByteArrayView(donnees, qsizetype(taille)));
    const Lexique l = charge_lexique(contenu);
    if (l.nb_themes < 0 || l.nb_themes > max_themes || !l.lignes_lexique[0].isEmpty())
        std::abort();
    for (int i = 1; i <= l.nb_themes; ++i) {
        const DecoupageLigne d = decoupe_lex(l.lignes_lexique[size_t(i)]);
        // A name need not start its line (leading separators), so it may be absent.
        if (d.nom) {
            const qint16 trouve = cherche_theme(l.lignes_lexique, l.nb_themes, *d.nom);
            if (trouve < 0 || trouve > l.nb_themes)
                std::abort();
        }
    }
    return 0;
}
