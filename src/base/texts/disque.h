#pragma once

#include "base/texts/dossier_classe.h"
#include "base/texts/systeme.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

// Whole-file reads and writes on the class folder's disk, reporting the errno
// of a failure so that the pupil can be told in French what went wrong.
//
// Nothing here writes through a symbolic link: a pupil may put one in the
// class folder, pointing anywhere another user's copy could write.
namespace disque {

// What names one file on disk whatever its path, and what changes when
// anybody writes it or changes its mode.
struct Identite {
    quint64 peripherique = 0;
    quint64 inode = 0;
    qint64 taille = 0;
    qint64 modification = 0; // ns
    qint64 changement = 0;   // ns; any change of mode or content moves it
    qint64 naissance = 0;    // ns; 0 where the file system does not tell it

    // The same file, while one of the two is open: an open file's inode is
    // never given to another file.
    bool memeFichier(const Identite &autre) const
    {
        return peripherique == autre.peripherique && inode == autre.inode;
    }
    // The same file seen again after a restart, maybe through a new mount of
    // the same share, which gives it another device number: the inode, and
    // the birth time where the file system tells it. Only the path the file
    // was found at, and what is checked beside, make this sure.
    bool memeTexte(const Identite &autre) const
    {
        return inode == autre.inode && (naissance == 0 || autre.naissance == 0 || naissance == autre.naissance);
    }
    // Nobody has written the file or changed its mode since `autre` was taken.
    bool inchangee(const Identite &autre) const
    {
        return memeTexte(autre) && taille == autre.taille && modification == autre.modification &&
               changement == autre.changement;
    }
};

// The identity of the plain file at `chemin`, the path itself: nothing for a
// link, a folder or a missing file.
std::optional<Identite> identite(const QString &chemin);
// The identity of an open file; nothing when it is not a plain file.
// `frais`: as the file system says it now, not as a cache of a share keeps it.
std::optional<Identite> identite(int fd, bool frais = false);

// Why a write failed: the errno of the call that failed; or that the path no
// longer names the file expected (renamed away, replaced by another file or
// by a link), or that the file held was deleted, which no errno says. Made
// from an errno; 0 is no error.
class Erreur
{
public:
    constexpr Erreur(int numero = 0) : m_numero(numero) {}
    static constexpr Erreur cheminChange() { return Erreur(0, Sorte::CheminChange); }
    static constexpr Erreur texteSupprime() { return Erreur(0, Sorte::TexteSupprime); }
    constexpr bool ok() const { return m_numero == 0 && m_sorte == Sorte::Errno; }
    constexpr explicit operator bool() const { return !ok(); } // failed
    // The errno; 0 for cheminChange and texteSupprime.
    constexpr int numero() const { return m_numero; }
    constexpr bool estCheminChange() const { return m_sorte == Sorte::CheminChange; }
    constexpr bool estTexteSupprime() const { return m_sorte == Sorte::TexteSupprime; }
    constexpr bool operator==(const Erreur &o) const { return m_numero == o.m_numero && m_sorte == o.m_sorte; }
    constexpr bool operator!=(const Erreur &o) const { return !(*this == o); }

private:
    enum class Sorte { Errno, CheminChange, TexteSupprime };
    constexpr Erreur(int numero, Sorte sorte) : m_numero(numero), m_sorte(sorte) {}
    int m_numero;
    Sorte m_sorte = Sorte::Errno;
};
constexpr Erreur cheminChange = Erreur::cheminChange();
constexpr Erreur texteSupprime = Erreur::texteSupprime();

// Replaces the file `nom` of the open folder `dossier` with `octets` without
// ever destroying the previous content: the bytes go to a hidden draft in the
// same folder, are flushed to disk, and only then take the file's place. A
// new file gets the mode a new file would get; an existing one keeps its mode.
// A link at `nom` is refused (ELOOP). With `attendu`, the file is replaced
// only while the name still names that file (else cheminChange); without it,
// only while nothing is there (else EEXIST: another copy created it
// meanwhile). `avantRenommage` runs on the draft's descriptor just before it
// takes the file's place, for what the draft must carry from the first
// instant (a share's mark); `texte`, when given, gets a descriptor of the
// text once the draft is it: the draft's own, or, where the draft's name was
// taken away while open (a server that keeps such a file under a second
// name until it is closed), the text opened again by its name.
using AvantRenommage = std::function<int(int brouillon)>;
Erreur remplacer(int dossier, const QByteArray &nom, const QByteArray &octets, const Identite *attendu = nullptr,
                 const AvantRenommage &avantRenommage = {}, Descripteur *texte = nullptr);
// The same for a path, whose folder is opened as it is named.
Erreur remplacer(const QString &chemin, const QByteArray &octets, const Identite *attendu = nullptr,
              const AvantRenommage &avantRenommage = {});

// Rewrites the file open for writing at `fd` in place, for a folder where no
// draft may be created. The space is reserved first, so that a full disk
// changes nothing; the new bytes are written over the old ones and the length
// is cut only after, so that the file is never empty; if the new bytes cannot
// all be written, the old ones are written back. Returns 0 or an errno.
int reecrireSurPlace(int fd, const QByteArray &octets);
// EFBIG when this process may not make a file of `taille` bytes, else 0.
int tailleAdmise(qint64 taille);

// Renames `de` to `vers` in one folder only where nothing is named `vers`
// (EEXIST), so that a new text never replaces one another copy created under
// the same name meanwhile. Returns 0 or an errno; `perdue` is set when a
// reply was lost and the outcome read on the folder instead.
int renommerSansRemplacer(int dossier, const QByteArray &de, const QByteArray &vers, bool *perdue = nullptr);
// renameat, whose error reply is judged on what the folder holds: done when
// `vers` is the file `de` was (`fichier`, its stat) and `de` is gone.
int renommer(int dossier, const QByteArray &de, const QByteArray &vers, const struct sys::stat &fichier);
// A hidden file of the folder, new, for one write that a rename then puts
// in place: named `prefixe` (the drafts' by default) and six random
// characters. Returns its descriptor, or minus the errno.
int creerBrouillon(int dossier, QByteArray &nom, const QByteArray &prefixe = {}, unsigned int mode = 0600);

// The hidden drafts remplacer() leaves only when it is killed mid-save.
bool estBrouillon(const QString &nom);

// Reads at most `limite` + 1 bytes, so that an over-long file is recognised
// without reading it whole: the one way every part reads a whole file.
// Returns 0 or an errno (EISDIR, EINVAL for what is not a plain file).
int lire(const QString &chemin, qint64 limite, QByteArray &octets);
// The same from the start of an open file, whatever its offset.
int lire(int fd, qint64 limite, QByteArray &octets);

// Writes all of `octets` to `fd`, going on after a signal. Returns 0 or an errno.
int ecrireTout(int fd, const QByteArray &octets);

// Flushes a folder's entries, so that a rename in it outlasts a power cut.
// Returns 0 or an errno (some network file systems refuse it).
int synchroniserDossier(const QByteArray &dossier);
int synchroniserDossier(int dossier);

// The process's file-creation mask.
unsigned int masqueCreation();

// A short French description of an error, for the "Erreur=" messages.
QString description(Erreur erreur);
// The same as a clause, for "…: reason" lines: "accès refusé". Never the
// system's own text, which is English, and on Windows would read an errno as
// a Win32 code.
QString raison(Erreur erreur);

} // namespace disque
