// Word splitting of any text: the token rules the page layout relies on.
#include "base/print/decoupe.h"
#include "base/cp1252.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *donnees, size_t taille)
{
    const QString texte = cp1252::decode(QByteArrayView(donnees, qsizetype(taille)));
    for (const QString &jeton : decoupe(texte)) {
        if (jeton.contains(u'\r') || jeton.contains(u'\t'))
            std::abort();
    }
    return 0;
}
