#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// Windows-1252, the code page of the class's texts. Qt 6 has no codec for it.
//
// Decoding is a bijection from bytes to characters: the five bytes the code
// page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 control
// characters of the same value, so that they are written back unchanged.
namespace cp1252 {

QString decode(QByteArrayView octets);

// Characters without a byte become '?'. Callers that must not lose anything
// first pass the text through adapter().
QByteArray encode(QStringView texte);

// True for the five bytes the code page leaves undefined.
bool estIndefini(uchar octet);

// True when the character has a byte in the code page.
bool encodable(QChar c);

// The text with every character made storable: letters and combining accents
// are composed (Unicode NFC), common typographic characters
// get their nearest equivalent (thin spaces, non-breaking hyphens, ligatures,
// letters with diacritics the code page lacks), invisible format characters
// are dropped, everything else becomes '?'. Line feeds and tabs are kept.
QString adapter(QStringView texte);

} // namespace cp1252
