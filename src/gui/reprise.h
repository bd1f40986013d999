#pragma once

#include "base/texts/fil.h"
#include "base/texts/recuperation.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <mutex>

struct Controles;
struct EtatFenetre;
class Dialogues;
class Documents;
class Partage;

// Keeps this copy's recovery record in step with the writing zone and the
// texts it holds, and at start offers what copies that ended without a word
// left. Nothing here writes into the class folder: a dead copy's mark is
// taken over or released only while it is exactly as that copy left it.
// Where the records' folder does not answer (a home folder on a network that
// hangs), they go to a folder of this machine's own disk, and the pupil is
// told once; a start looks in both.
class Reprise : public QObject
{
    Q_OBJECT
public:
    Reprise(const QString &dossier, EtatFenetre &etat, Controles &c, Documents &documents, Partage &partage,
            Dialogues &dialogues);
    ~Reprise() override; // the record as things stand at the end

    // Offers the texts dead copies left, newest first, until the pupil takes
    // one back; the others stay for a later start. Texts with nothing unsaved
    // are not offered: their marks are let go as a clean end would have.
    void proposer();
    // The record on disk now, for an end that no event loop follows: 0, or
    // why it is not. A folder that does not answer within `ms` is left for
    // this machine's own, given as long again.
    int ecrireMaintenant(int ms = Fil::silenceMs);

    // The longest the record lags behind the zone while the pupil types.
    static constexpr int delaiMs = 1000;

private:
    std::optional<recuperation::Releve> releveActuel() const;
    void ecrire();
    // The first failure is said once.
    void echec(int erreur);
    void avertir(int erreur);
    // Lets go of a dead copy's marks that nobody touched since, except one.
    void liberer(const recuperation::Releve &r, const QString &sauf = {});
    void reprendre(recuperation::Dossier::Perdu &p);
    // The records go to the folder of this machine's own disk from now on.
    void basculer();
    // Lets the writer and its folder go without waiting for them.
    void laisser();

    std::function<void(int)> signalerEchec();
    // The record made now (after turning to this machine's disk first when
    // `basculer` says so), with who writes it and where records stand.
    struct Demande {
        std::shared_ptr<recuperation::Ecrivain> ecrivain;
        bool actif = false, secours = false;
    };
    Demande demander(bool basculer);
    // Asks for the record and waits `ms` for its write; a folder that does
    // not answer is left for this machine's own, given as long again. The
    // waiting is the caller's thread's, whichever it is.
    static int ecrireEtAttendre(int ms, const std::function<Demande(bool)> &demander);

    EtatFenetre &m_etat;
    Controles &m_c;
    Documents &m_documents;
    Partage &m_partage;
    Dialogues &m_dialogues;
    // Where the records are written, and the writer; both are left to a
    // folder that stopped answering, whose thread may never come back.
    std::unique_ptr<recuperation::Dossier> m_dossier;
    // Shared with the share's thread, which waits for it before an in-place rewrite.
    std::shared_ptr<recuperation::Ecrivain> m_ecrivain;
    bool m_secours = false; // writing to dossierDeSecours()
    QTimer m_delai;   // while the pupil types
    QTimer m_bientot; // once the command under way has finished
    bool m_actif = true;
    bool m_averti = false;
    bool m_rienAGarder = true; // what was asked last
    struct Vivant {
        std::mutex mutex;
        Reprise *reprise = nullptr;
    };
    std::shared_ptr<Vivant> m_vivant;
};
