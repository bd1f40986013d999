#pragma once

#include "base/texts/dossier_classe.h"

#include <QByteArray>

// Two locks every copy takes on a text itself, each on one byte far past the
// end of any text: a share that makes byte-range locks mandatory then never
// keeps anybody from reading a text. They are the system's open-file-
// description locks (fcntl F_OFD_SETLK), which NFS and Samba pass on to every
// machine, and which the system drops with the last descriptor of the open
// file, so with the copy when it dies. Nothing is created on disk.
namespace verrou {

// The hold: kept by a copy from the moment it takes a text to the moment it
// releases it, on the descriptor it holds the text by, so that other copies,
// a restart and the teacher's tool tell a living holder from a mark a dead
// copy left. Returns 0, EAGAIN when another open file holds it, or the errno
// of a file system that keeps no such locks.
int tenir(int fd);
void lacher(int fd);

enum class Detenteur { Aucun, Vivant, Inconnu };
// Whether an open file other than `fd`'s holds the text; Inconnu where the
// file system keeps no such locks, or does not pass them on.
Detenteur detenteur(int fd);

} // namespace verrou

// The short lock, held only while a copy tests and sets the text's mark, so
// that two copies opening the same free text at once cannot both take it.
//
// It is taken on the descriptor every test and change of the text then goes
// through (fd()), so the check and the change act on the same file. Where the
// file system refuses locks the descriptor is still open and the mark alone
// protects the text (SansVerrou). A holder that keeps the lock past the wait
// is another copy at work: the text counts as taken (Occupe), never as free.
class VerrouFichier
{
public:
    enum class Etat { Tenu, SansVerrou, Occupe, Erreur };

    // On the entry `nom` of the open folder `dossier`.
    VerrouFichier(int dossier, const QByteArray &nom);
    // On a text this copy keeps open already.
    explicit VerrouFichier(int fd);
    ~VerrouFichier();
    VerrouFichier(const VerrouFichier &) = delete;
    VerrouFichier &operator=(const VerrouFichier &) = delete;

    Etat etat() const { return m_etat; }
    bool tenu() const { return m_etat == Etat::Tenu; }
    // The text's descriptor, open in Tenu and SansVerrou: for writing where
    // the file allowed it, else for reading.
    int fd() const { return m_fd; }
    // Gives the descriptor to the caller, who keeps it open past the lock.
    Descripteur garder();
    // Erreur: why the text could not be opened (ELOOP for a link on the way).
    int erreur() const { return m_erreur; }

private:
    Descripteur m_fichier;
    int m_fd = -1;
    Etat m_etat = Etat::Erreur;
    int m_erreur = 0;
};
