#pragma once

#include <QFile>
#include <QString>
#include <QtGlobal>

#include <functional>
#include <memory>

// The attribute word of a file, as the class's Windows machines keep it.
// A text is held by a copy exactly when its word is 1 (read-only and nothing
// else); every other value means free.
namespace attribut {
constexpr quint16 lectureSeule = 0x01;
constexpr quint16 archive = 0x20;
constexpr quint16 normal = 0x80;
constexpr quint16 marque = lectureSeule;
constexpr quint16 libre = 0;

inline bool estMarque(quint16 mot) { return mot == marque; }
} // namespace attribut

struct LectureAttribut {
    quint16 mot = 0;
    int erreur = 0; // errno; 0 when the word was read
    bool ok() const { return erreur == 0; }
};

// Reads and sets the attribute word. Every copy on one share must use the
// same mapping, so there is one system implementation; tests substitute
// their own to drive the protocol.
class Attributs
{
public:
    virtual ~Attributs() = default;
    // On the file system's own bytes for the path: a name that is not UTF-8
    // must still reach its file.
    virtual LectureAttribut lireNatif(const QByteArray &chemin) const = 0;
    // Returns 0, or the errno of the failure.
    virtual int ecrireNatif(const QByteArray &chemin, quint16 mot) = 0;

    // On an open file, so that a test of the word and the change after it
    // act on the file opened, whatever its path names meanwhile. By default
    // through the path the descriptor was opened by, for words kept elsewhere
    // than on the file (tests).
    virtual LectureAttribut lireFd(int fd) const;
    virtual int ecrireFd(int fd, quint16 mot);
    // Releases an open file: where its permissions before the mark are known
    // (`modeAvant`), they are what its write bits come back to.
    virtual int libererFd(int fd, int modeAvant) { Q_UNUSED(modeAvant); return ecrireFd(fd, attribut::libre); }

    LectureAttribut lire(const QString &chemin) const { return lireNatif(QFile::encodeName(chemin)); }
    int ecrire(const QString &chemin, quint16 mot) { return ecrireNatif(QFile::encodeName(chemin), mot); }
};

// The extended-attribute calls on an open file, and whether it lies on a
// CIFS/SMB mount; injectable so that the CIFS mapping can be tested without a
// share. Each call returns 0 or an errno.
struct AppelsXattr {
    std::function<int(int fd, const char *nom, QByteArray &valeur)> lire;
    std::function<int(int fd, const char *nom, const QByteArray &valeur)> ecrire;
    std::function<bool(int fd)> surCifs;
    static AppelsXattr systeme();
};

// Whether the file system of an open file is a CIFS or SMB mount.
bool surCifs(int fd);

// On a CIFS mount the real DOS word is exposed as the extended attribute
// "user.cifs.dosattrib" (4 bytes, little-endian), shared with the Windows
// copies. Only there: on any other disk whoever may write a text may set that
// attribute, so a forged word would free a held text or hold a free one.
// Elsewhere the word is the one Samba shows the Windows copies for the
// file's mode under the class share's settings (map readonly = yes, store dos
// attributes = no): read-only when the owner may not write, archive when the
// owner may execute. The mode is changed on the file itself, never through a
// link:
//  - mark: all write bits and the owner-execute bit removed, so the Windows
//    copies see exactly 1;
//  - release: the owner may write again, and whoever could write the file
//    before its mark, where that is known; else the group gets write back
//    only where the process umask allows it AND the folder grants the group
//    write access, and others never: a release never makes a file more
//    writable than it was, nor than its folder.
class AttributsSysteme : public Attributs
{
public:
    explicit AttributsSysteme(AppelsXattr appels = AppelsXattr::systeme());
    LectureAttribut lireNatif(const QByteArray &chemin) const override;
    int ecrireNatif(const QByteArray &chemin, quint16 mot) override;
    LectureAttribut lireFd(int fd) const override;
    int ecrireFd(int fd, quint16 mot) override;
    int libererFd(int fd, int modeAvant) override;

private:
    static int ecrireMode(int fd, quint16 mot, int modeAvant = -1);
    AppelsXattr m_xattr;
};

// The DOS word Samba shows for a POSIX mode.
quint16 motDepuisMode(unsigned int mode);

// The write bits a released file gets: those it had before its mark, else
// from the folder's mode and the umask.
unsigned int bitsEcritureLiberee(int modeAvant, unsigned int modeDossier, unsigned int masque);
