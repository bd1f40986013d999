#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

#include <utility>

// An open file descriptor that closes itself; or why it could not be opened.
class Descripteur
{
public:
    Descripteur() = default; // holds nothing, erreur() 0
    static Descripteur ouvert(int fd) { return Descripteur(fd, 0); }
    static Descripteur echec(int erreur) { return Descripteur(-1, erreur); }
    ~Descripteur();
    Descripteur(Descripteur &&autre) noexcept;
    Descripteur &operator=(Descripteur &&autre) noexcept;
    Descripteur(const Descripteur &) = delete;
    Descripteur &operator=(const Descripteur &) = delete;

    bool ok() const { return m_fd >= 0; }
    int fd() const { return m_fd; }
    // The errno of the failed open; 0 when open.
    int erreur() const { return m_erreur; }
    // Closes now; returns 0 or the errno of close.
    int fermer();

private:
    Descripteur(int fd, int erreur) : m_fd(fd), m_erreur(erreur) {}
    int m_fd = -1;
    int m_erreur = 0;
};

// The device and inode of an open folder that this thread knows already,
// while the object lives: what would ask a share for them again (a claim's
// case rule, whether the folder renames without replacing) takes them from
// here.
class DossierConnu
{
public:
    DossierConnu(int fd, quint64 peripherique, quint64 inode);
    ~DossierConnu();
    DossierConnu(const DossierConnu &) = delete;
    DossierConnu &operator=(const DossierConnu &) = delete;
    // Known here, or else asked of the system when `demander`; false when neither.
    static bool identite(int fd, quint64 &peripherique, quint64 &inode, bool demander = true);

private:
    DossierConnu *m_avant;
    int m_fd;
    quint64 m_peripherique, m_inode;
};

// The class folder, opened once: every path below it is resolved from this
// one descriptor without following a link in any component, so that a link a
// pupil puts anywhere in the class folder leads nowhere, and a check and the
// change after it act on the same open file, never on a path resolved twice.
// A path outside the class folder (a personal folder the pupil picks) keeps
// the older rule: no link as its last component.
class DossierClasse
{
public:
    // How paths below the folder are resolved: the kernel's beneath-only
    // lookup, falling back to a walk one component at a time where the kernel
    // lacks it; tests force the walk.
    enum class Resolution { Automatique, ParComposants };

    // The folder at `chemin`, or the process's current folder when empty.
    explicit DossierClasse(const QString &chemin = QString(), Resolution resolution = Resolution::Automatique);
    DossierClasse(const DossierClasse &) = delete;
    DossierClasse &operator=(const DossierClasse &) = delete;

    // 0, or why the folder could not be opened; then every path counts as outside.
    int erreur() const { return m_dossier.ok() ? 0 : m_dossier.erreur(); }
    int fd() const { return m_dossier.fd(); }
    // The folder's absolute path, as the kernel names it.
    const QString &chemin() const { return m_chemin; }
    Resolution resolution() const { return m_resolution; }

    // Whether `chemin` (absolute, or relative to the class folder) is the
    // class folder or below it, `..` resolved on the path's text: decided by
    // the folders it crosses, so that another name of the class folder (a
    // link to it, a bind mount, /proc/self/cwd) leads below it too.
    bool contient(const QString &chemin) const;

    // Opens `chemin` with open(2)'s `options` (and `mode` with O_CREAT).
    // Below the class folder, a link in any component gives ELOOP and a path
    // leading out EXDEV; elsewhere only the last component must not be a link.
    Descripteur ouvrir(const QString &chemin, int options, mode_t mode = 0) const;
    // A folder, opened for reading its entries (fdopendir), fsync and *at calls.
    Descripteur ouvrirDossier(const QString &chemin) const;
    // The folder holding `chemin`, under the same rules, with the last
    // component's name in `nom`: for openat, renameat and unlinkat in it.
    // `id` gets its device and inode, the class folder's as known from its
    // open, a sub-folder's as its lookup just left them.
    Descripteur ouvrirParent(const QString &chemin, QByteArray &nom, std::pair<quint64, quint64> *id = nullptr) const;

    // One entry of an open folder, not following a link: `nom` must be one
    // component (no '/', not "." or ".."), else EINVAL.
    static Descripteur ouvrirDans(int dossier, const QByteArray &nom, int options, mode_t mode = 0);
    // A sub-folder of an open folder, for a walk with fdopendir; ELOOP for a link.
    static Descripteur ouvrirSousDossier(int dossier, const QByteArray &nom);
    // The path an open file or folder was reached by, as the kernel keeps
    // it; empty when it cannot be told.
    static QByteArray cheminDe(int fd);

private:
    // The path relative to the folder ("." for the folder itself), or null
    // when outside.
    QByteArray relatif(const QString &chemin) const;
    QByteArray parAutreNom(const QString &absolu) const;
    QByteArray parIdentite(const QString &absolu) const;
    bool estLeDossier(int fd) const;
    Descripteur resoudre(const QByteArray &relatif, int options, mode_t mode) const;
    Descripteur parcourir(const QByteArray &relatif, int options, mode_t mode) const;

    Descripteur m_dossier;
    std::pair<quint64, quint64> m_id; // its device and inode
    QString m_chemin;
    Resolution m_resolution;
};
