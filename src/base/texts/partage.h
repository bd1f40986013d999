#pragma once

#include "base/texts/fichiers_texte.h"
#include "base/texts/fil.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

// The class folder's texts, reached on a thread of their own (Fil), so that
// no call to the share ever holds up the window.
class Partage : public Fil
{
    Q_OBJECT
public:
    // The class folder is opened on the share's thread, from `chemin` (empty:
    // the folder the process started in), by the first call: a share that
    // does not answer holds up the first command, not the window.
    Partage(Attributs &attributs, const QString &chemin);
    ~Partage() override;

    // Runs `travail` on the share's thread once the calls before it are done,
    // and returns its result; meanwhile the caller's event loop turns.
    // A call that finds the share gone is made once more when the share
    // answers again (FichiersTexte::reconnecter).
    template <typename F>
    auto appeler(F travail) -> decltype(travail(std::declval<FichiersTexte &>()))
    {
        return Fil::appeler([this, &travail] { return executer(travail); });
    }
    // Whether a call that found the share gone may be made again once it
    // answers: not one that may have created a file, whose first try may
    // have landed before the reply was lost.
    enum class Rejouer { Oui, Non };
    // The same, without waiting: `suite` gets the result on the caller's
    // thread once the calls are done, unless `contexte` is gone by then.
    template <typename F, typename S>
    void lancer(QObject *contexte, F travail, S suite, Rejouer rejouer = Rejouer::Oui)
    {
        Fil::lancer(contexte, [this, travail = std::move(travail), rejouer]() mutable {
            return executer(travail, rejouer);
        }, std::move(suite));
    }
    // Posts `travail` and returns at once.
    void poster(std::function<void(FichiersTexte &)> travail);

    // What the share's thread last left of the texts this copy holds and of
    // an in-place rewrite under way, for the recovery record.
    QList<FichiersTexte::Tenue> tenues() const;
    std::optional<FichiersTexte::Reecriture> reecriture() const;
    // Runs on the share's thread before an in-place rewrite changes anything,
    // once reecriture() says it; see FichiersTexte::surReecriture.
    void surReecriture(std::function<int()> f);

signals:
    // On the caller's thread: the texts held changed.
    void changement();

private:
    // On the share's thread.
    template <typename F>
    auto executer(F &travail, Rejouer rejouer = Rejouer::Oui) -> decltype(travail(std::declval<FichiersTexte &>()))
    {
        m_fichiers->fermerLesAnciens();
        auto resultat = travail(*m_fichiers);
        if (parti(resultat) && m_fichiers->reconnecter() && rejouer == Rejouer::Oui)
            resultat = travail(*m_fichiers);
        publier();
        // The closes a server makes us wait for come after the answer.
        Fil::poster([this] { m_fichiers->fermerLesAnciens(); });
        return resultat;
    }
    void publier(); // on the share's thread
    static bool parti(const FichiersTexte::Lecture &l) { return FichiersTexte::partiDuPartage(l.erreur); }
    static bool parti(const FichiersTexte::Ecriture &e) { return FichiersTexte::partiDuPartage(e.erreur.numero()); }
    static bool parti(const FichiersTexte::Cible &c) { return FichiersTexte::partiDuPartage(c.erreur); }
    static bool parti(const disque::Erreur &e) { return FichiersTexte::partiDuPartage(e.numero()); }
    template <typename T>
    static bool parti(const T &) { return false; }
    Attributs &m_attributs;
    const QString m_chemin;
    std::unique_ptr<FichiersTexte> m_fichiers; // made, used and left on the share's thread
    mutable std::mutex m_mutex;
    QList<FichiersTexte::Tenue> m_tenues;
    std::optional<FichiersTexte::Reecriture> m_reecriture;
    std::function<int()> m_surReecriture;
};
