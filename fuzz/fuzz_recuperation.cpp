// The recovery record's decoder on bytes of any content: a record left by a
// dead copy, truncated by a power cut or forged, must never crash the next
// start, and whatever it accepts must survive a write and a read unchanged.
#include "base/texts/recuperation.h"

#include <cstdint>
#include <cstdlib>

namespace {
bool memes(const recuperation::Releve &a, const recuperation::Releve &b)
{
    if (a.modifie != b.modifie || a.texte != b.texte || a.fichier != b.fichier || a.marques.size() != b.marques.size())
        return false;
    for (qsizetype k = 0; k < a.marques.size(); ++k) {
        const FichiersTexte::Tenue &x = a.marques[k], &y = b.marques[k];
        if (x.chemin != y.chemin || !x.identite.inchangee(y.identite) || x.identite.naissance != y.identite.naissance
            || x.jeton != y.jeton || x.modeAvant != y.modeAvant)
            return false;
    }
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *donnees, size_t taille)
{
    const QByteArray octets = QByteArray::fromRawData(reinterpret_cast<const char *>(donnees), qsizetype(taille));
    const std::optional<recuperation::Releve> r = recuperation::decoder(octets);
    if (!r)
        return 0;
    const std::optional<recuperation::Releve> relu = recuperation::decoder(recuperation::encoder(*r));
    if (!relu || !memes(*r, *relu))
        std::abort();
    return 0;
}
