#pragma once

#include "base/texts/dossier_classe.h"

#include <QString>

// An exclusive operating-system lock on a text file itself, held only while
// a copy tests and sets the text's mark, so that two Plumor copies opening
// the same free text at once cannot both take it. Nothing is created on disk
// and other programs see no change.
//
// The lock is taken on the descriptor every test and change of the text then
// goes through (fd()), so the check and the change act on the same file.
// Where the file system refuses locks the descriptor is still open and the
// mark alone protects the text (SansVerrou). A holder that keeps the lock
// past the wait is another copy at work: the text counts as taken (Occupe),
// never as free.
class VerrouFichier
{
public:
    enum class Etat { Tenu, SansVerrou, Occupe, Erreur };

    VerrouFichier(const DossierClasse &dossier, const QString &chemin);
    VerrouFichier(const VerrouFichier &) = delete;
    VerrouFichier &operator=(const VerrouFichier &) = delete;

    Etat etat() const { return m_etat; }
    bool tenu() const { return m_etat == Etat::Tenu; }
    // The text's descriptor, open in Tenu and SansVerrou: for writing where
    // the file allowed it, else for reading.
    int fd() const { return m_fichier.fd(); }
    // Erreur: why the text could not be opened (ELOOP for a link on the way).
    int erreur() const { return m_erreur; }

private:
    Descripteur m_fichier;
    Etat m_etat = Etat::Erreur;
    int m_erreur = 0;
};
