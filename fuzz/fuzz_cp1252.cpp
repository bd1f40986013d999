// The code page is a bijection on bytes, and whatever adapter() returns can
// be stored without loss.
#include "base/cp1252.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *donnees, size_t taille)
{
    const QByteArray octets(reinterpret_cast<const char *>(donnees), qsizetype(taille));
    const QString texte = cp1252::decode(octets);
    if (texte.size() != octets.size() || cp1252::encode(texte) != octets)
        std::abort();

    // The same bytes read as UTF-16 stand for anything a pupil could paste.
    const QString colle = QString::fromUtf16(reinterpret_cast<const char16_t *>(donnees), qsizetype(taille / 2));
    for (const QChar c : cp1252::adapter(colle)) {
        if (!cp1252::encodable(c))
            std::abort();
    }
    return 0;
}
