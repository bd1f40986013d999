#pragma once

#include <QString>

// The class folder is read from Windows too, directly or through Samba: a
// name Linux writes as it is may show there under another name, or not at all.
namespace noms {

// Why the file name `nom` (the last component, as the pupil chose it) would
// not reach every computer of the class, in the pupil's words; empty when
// it would.
QString pasPortable(const QString &nom);

} // namespace noms
