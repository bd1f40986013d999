#pragma once

#include <QString>

// An exclusive operating-system lock on a text file itself, held only while
// a copy tests and sets the text's mark, so that two Plumor copies opening
// the same free text at once cannot both take it. Nothing is created on disk
// and other programs see no change. Where the file system refuses the lock
// (or someone keeps it far too long) the object holds nothing and the caller
// goes on as without it: the mark alone then protects the text.
class VerrouFichier
{
public:
    explicit VerrouFichier(const QString &chemin);
    ~VerrouFichier();
    VerrouFichier(const VerrouFichier &) = delete;
    VerrouFichier &operator=(const VerrouFichier &) = delete;

    bool tenu() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};
