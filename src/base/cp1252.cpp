#include "base/cp1252.h"

#include <array>

namespace cp1252 {

bool estIndefini(uchar octet)
{
    return octet == 0x81 || octet == 0x8D || octet == 0x8F || octet == 0x90 || octet == 0x9D;
}

namespace {

// 0x80..0x9F; undefined positions map to the C1 control of the same value.
constexpr std::array<char16_t, 32> haut = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Byte for a character above U+00FF, or 0 when there is none.
char octetEtendu(char16_t u)
{
    for (int i = 0; i < 32; ++i) {
        if (haut[i] == u && u > 0xFF)
            return char(0x80 + i);
    }
    return 0;
}

// Byte for any character, or -1.
int octet(char16_t u)
{
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return u;
    if (u < 0xA0) {
        // Only the undefined positions survive a round trip as themselves.
        return estIndefini(uchar(u)) ? int(u) : -1;
    }
    const char b = octetEtendu(u);
    return b ? int(static_cast<unsigned char>(b)) : -1;
}

// Nearest storable text for a character that has no byte; empty to drop it.
QString approche(char32_t u)
{
    switch (u) {
    case 0x2000: case 0x2001: case 0x2002: case 0x2003: case 0x2004:
    case 0x2005: case 0x2006: case 0x2008: case 0x2009: case 0x200A:
    case 0x205F: case 0x3000: case 0x1680:
        return QStringLiteral(" ");
    case 0x2007: case 0x202F:          // figure and narrow no-break spaces
        return QString(QChar(0x00A0));
    case 0x2010: case 0x2011: case 0x2012: case 0x2043: case 0x2212: case 0xFE63: case 0xFF0D:
        return QStringLiteral("-");
    case 0x2015:
        return QString(QChar(0x2014));
    case 0x200B: case 0x200C: case 0x200D: case 0x2060: case 0xFEFF: case 0x200E: case 0x200F:
        return QString();
    case 0x2028: case 0x2029:
        return QStringLiteral("\n");
    case 0x2032: case 0x02BC: case 0x02B9: case 0x201B:
        return QString(QChar(0x2019));
    case 0x2033:
        return QStringLiteral("\"");
    case 0x2024:
        return QStringLiteral(".");
    case 0x2044: case 0x2215:
        return QStringLiteral("/");
    case 0xFB00: return QStringLiteral("ff");
    case 0xFB01: return QStringLiteral("fi");
    case 0xFB02: return QStringLiteral("fl");
    case 0xFB03: return QStringLiteral("ffi");
    case 0xFB04: return QStringLiteral("ffl");
    default:
        break;
    }
    // A letter with a diacritic the code page lacks keeps its base letter.
    if (u <= 0xFFFF) {
        const QString d = QChar(char16_t(u)).decomposition();
        if (!d.isEmpty() && octet(d.at(0).unicode()) >= 0 && d.at(0).isLetter())
            return QString(d.at(0));
    }
    return QStringLiteral("?");
}

} // namespace

QString decode(QByteArrayView octets)
{
    QString texte(octets.size(), Qt::Uninitialized);
    char16_t *sortie = reinterpret_cast<char16_t *>(texte.data());
    const auto *entree = reinterpret_cast<const unsigned char *>(octets.data());
    for (qsizetype i = 0, n = octets.size(); i < n; ++i) {
        const unsigned char b = entree[i];
        sortie[i] = (b >= 0x80 && b < 0xA0) ? haut[b - 0x80] : char16_t(b);
    }
    return texte;
}

QByteArray encode(QStringView texte)
{
    QByteArray octets(texte.size(), Qt::Uninitialized);
    char *sortie = octets.data();
    const char16_t *entree = texte.utf16();
    for (qsizetype i = 0, n = texte.size(); i < n; ++i) {
        const char16_t u = entree[i];
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            sortie[i] = char(u);
        } else {
            const int b = octet(u);
            sortie[i] = b >= 0 ? char(b) : '?';
        }
    }
    return octets;
}

bool encodable(QChar c)
{
    return octet(c.unicode()) >= 0;
}

QString adapter(QStringView texte)
{
    qsizetype i = 0;
    while (i < texte.size() && encodable(texte[i]))
        ++i;
    if (i == texte.size())
        return texte.toString();

    // A letter followed by a combining accent, as some PDFs give it, is
    // composed first: "e" + U+0301 is the storable "é", not "e?".
    const QString compose = texte.toString().normalized(QString::NormalizationForm_C);
    const qsizetype n = compose.size();
    // From the start: a composed letter may stand before position i, and
    // may have no byte ("s" + U+0323 is "ṣ").
    QString resultat;
    resultat.reserve(n);
    for (i = 0; i < n;) {
        const QChar c = compose[i];
        if (encodable(c)) {
            resultat += c;
            ++i;
        } else if (c.isHighSurrogate() && i + 1 < n && compose[i + 1].isLowSurrogate()) {
            resultat += approche(QChar::surrogateToUcs4(c, compose[i + 1]));
            i += 2;
        } else {
            resultat += approche(c.unicode());
            ++i;
        }
    }
    return resultat;
}

} // namespace cp1252
