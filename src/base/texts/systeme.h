#pragma once

// The one door to the operating system for the text files: the calls below
// keep their POSIX names and meaning, and the Windows build answers them from
// Win32 (systeme_win32.cpp), so the protocol above is the same source for
// both. Nothing outside this folder talks to the system about texts.
#ifdef _WIN32
#include "base/texts/systeme_win32.h"
#else
#include "base/texts/systeme_posix.h"
#endif

#include <QByteArray>
#include <QString>

#include <optional>

namespace sys {

// What only the system knows of a running process and its machine, for
// telling a living copy from a dead one.
// The start of process `pid` in the system's own units; 0 when it cannot be
// told; nothing when there is no such process (or only its exit status).
std::optional<quint64> debutProcessus(qint64 pid);
// Bytes that tell this machine apart (with its host name), and this boot.
QByteArray idMachine();
QString idDemarrage();
QString utilisateur();

// Where this user's records are kept, on this machine; and where they go
// when that folder does not answer: a temporary folder that outlives a reboot.
QString dossierEtat();
QString dossierTemporaire();

// The path an open file or folder was reached by; empty when unknown.
QByteArray cheminDe(int fd);

// Opens `relatif` below the open folder `dossier` in one call that refuses
// links and '..' leading out (ELOOP / EXDEV); ENOSYS where the system has no
// such call, and the caller walks the path one component at a time.
int ouvrirDessous(int dossier, const QByteArray &relatif, int options, unsigned int mode);

// Opens again for reading and writing the file open at `fd`, whatever its
// name now; a descriptor or -1 with errno.
int rouvrirEnEcriture(int fd);

// An extended attribute of an open file; 0 or an errno (ENOTSUP where files
// keep none).
int lireAttributEtendu(int fd, const char *nom, QByteArray &valeur);
int ecrireAttributEtendu(int fd, const char *nom, const QByteArray &valeur);

// Whether an open file lies on a CIFS/SMB mount, where the DOS word itself is
// kept beside the file.
bool surCifs(int fd);

// Whether a file open by anybody may be replaced by a rename. Windows refuses
// to rename over an open file, so a held text is rewritten in place there.
bool remplaceFichierOuvert();

} // namespace sys
