#pragma once

#include "base/texts/fichiers_texte.h"
#include "base/texts/attributs.h"
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
    // The same, owning the attributes: they stay as long as a call stuck in
    // the share may still use them, past this object's end.
    Partage(std::unique_ptr<Attributs> attributs, const QString &chemin);
    ~Partage() override;

    // Runs `travail` on the share's thread once the calls before it are done,
    // and returns its result; meanwhile the caller's event loop turns.
    // A call that finds the share gone is made once more when the share
    // answers again (FichiersTexte::reconnecter).
    template <typename F>
    auto appeler(F travail) -> decltype(travail(std::declval<FichiersTexte &>()))
    {
        return Fil::appeler([c = m_commun, p = posteur(), &travail] { return executer(c, p, travail); });
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
        Fil::lancer(contexte, [c = m_commun, p = posteur(), travail = std::move(travail), rejouer]() mutable {
            return executer(c, p, travail, rejouer);
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
    // What the share's thread works with: shared with it, so that a call
    // stuck in the share finds it all still there when it returns, after
    // this object has gone.
    struct Commun {
        std::unique_ptr<Attributs> attributsPropres;
        Attributs *attributs = nullptr;
        QString chemin;
        std::unique_ptr<FichiersTexte> fichiers; // made, used and left on the share's thread
        std::mutex mutex;
        QList<FichiersTexte::Tenue> tenues;
        std::optional<FichiersTexte::Reecriture> reecriture;
        std::function<int()> surReecriture;
        void publier(); // on the share's thread
    };
    void demarrer();

    // On the share's thread.
    template <typename F>
    static auto executer(const std::shared_ptr<Commun> &c, const Posteur &poster, F &travail,
                         Rejouer rejouer = Rejouer::Oui) -> decltype(travail(std::declval<FichiersTexte &>()))
    {
        c->fichiers->fermerLesAnciens();
        auto resultat = travail(*c->fichiers);
        if (parti(resultat) && c->fichiers->reconnecter() && rejouer == Rejouer::Oui)
            resultat = travail(*c->fichiers);
        c->publier();
        // The closes a server makes us wait for come after the answer.
        poster([c] { c->fichiers->fermerLesAnciens(); });
        return resultat;
    }
    static bool parti(const FichiersTexte::Lecture &l) { return FichiersTexte::partiDuPartage(l.erreur); }
    static bool parti(const FichiersTexte::Ecriture &e) { return FichiersTexte::partiDuPartage(e.erreur.numero()); }
    static bool parti(const FichiersTexte::Cible &c) { return FichiersTexte::partiDuPartage(c.erreur); }
    static bool parti(const disque::Erreur &e) { return FichiersTexte::partiDuPartage(e.numero()); }
    template <typename T>
    static bool parti(const T &) { return false; }
    std::shared_ptr<Commun> m_commun;
};
