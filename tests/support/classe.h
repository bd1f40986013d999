#pragma once

#include "base/texts/attributs.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include "base/texts/systeme.h"

#include <QtTest/qtestcase.h>

#include <csignal>

// A temporary class folder with helpers to put texts in and look at the bytes
// and marks on disk.
class Classe
{
public:
    QString dossier() const { return m_dir.path(); }
    QString chemin(const QString &nom) const;
    QString ecrire(const QString &nom, const QByteArray &octets) const;
    // "<absent>" when there is no such file.
    QByteArray octets(const QString &nom) const;
    // True when nobody may write the file (how a mark looks on a local disk).
    bool marqueSurDisque(const QString &nom) const;
    // The permission bits, or -1 when there is no such file.
    int mode(const QString &nom) const;
    // Every file of the folder, hidden ones included: no draft may be left.
    QStringList fichiers() const;

private:
    QTemporaryDir m_dir;
};

// True when nobody may write the file at `chemin` (how a mark looks on a local disk).
bool marqueSurDisque(const QString &chemin);

// What a program prints, its errors too with `erreurs`, once it ends.
QString sortie(const QString &programme, const QStringList &arguments, bool erreurs = false);

// Attribute words kept in memory for files that exist on disk, so that tests
// can give a file any DOS word (33: read-only and archive, ...).
class AttributsMemoire : public Attributs
{
public:
    QHash<QString, quint16> mots;
    quint16 motParDefaut = attribut::archive;
    LectureAttribut lireNatif(const QByteArray &chemin) const override;
    int ecrireNatif(const QByteArray &chemin, quint16 mot) override;
};

// What the rigs below need of the system; on Windows they are refused and
// the case that needs one is skipped (SANS_WINDOWS).
bool changerMode(const QString &chemin, unsigned int mode);
bool creerTube(const QString &chemin);
bool lienSymbolique(const QString &cible, const QString &lien);
bool lienPhysique(const QString &cible, const QString &lien);
#ifdef _WIN32
#define SANS_WINDOWS(pourquoi) QSKIP(pourquoi)
#else
#define SANS_WINDOWS(pourquoi) (void)0
#endif

// A test process as the program runs: SIGXFSZ ignored (a write past a limit
// is an error, not the end), files created under `masque`.
inline void commeLeProgramme(unsigned int masque)
{
#ifndef _WIN32
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    sys::umask(masque);
}

// Runs `f` with writes limited to a few bytes, as on a full disk. SIGXFSZ
// must be ignored, as the program does. Windows has no such limit: callers
// skip there.
template <typename F>
void avecDisquePlein(F f)
{
#ifndef _WIN32
    rlimit avant {};
    ::getrlimit(RLIMIT_FSIZE, &avant);
    rlimit petite = avant;
    petite.rlim_cur = 4;
    ::setrlimit(RLIMIT_FSIZE, &petite);
    f();
    ::setrlimit(RLIMIT_FSIZE, &avant);
#else
    Q_UNUSED(f);
#endif
}
