#pragma once

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <thread>

// A thread of its own for the calls that reach a disk the window must never
// wait for (the class's share, a home folder on the network): calls run there
// one at a time, in the order they were made. A command launches its call and
// gets the answer later, queued to the caller's thread (lancer()); the older
// appeler() waits for it with the caller's events going on. A call left
// unanswered for a few seconds is said once (silence()), and said again when
// it ends (reponse()); a call stuck there is never waited for at the end.
class Fil : public QObject
{
    Q_OBJECT
public:
    Fil();
    ~Fil() override; // waits a second at most for the call under way

    static constexpr int silenceMs = 3000;

    // Runs `travail` on the thread once the calls before it are done, and
    // returns its result; meanwhile the caller's event loop turns.
    template <typename F>
    auto appeler(F travail) -> decltype(travail())
    {
        std::optional<decltype(travail())> resultat;
        attendre([&] { resultat.emplace(travail()); });
        return std::move(*resultat);
    }
    // Runs `travail` on the thread once the calls before it are done, then
    // `suite` with its result on the caller's thread, through its event loop,
    // unless `contexte` is gone by then.
    template <typename F, typename S>
    void lancer(QObject *contexte, F travail, S suite)
    {
        using R = decltype(travail());
        auto resultat = std::make_shared<std::optional<R>>();
        lancerBrut(contexte, [resultat, travail = std::move(travail)]() mutable { resultat->emplace(travail()); },
                   [resultat, suite = std::move(suite)]() mutable { suite(std::move(**resultat)); });
    }
    // Posts `travail` and returns at once.
    void poster(std::function<void()> travail);
    // Waits at most `ms` for every call posted so far, with no event going
    // on: false when one is still under way.
    bool vider(int ms);

    // Whether a call the caller waits for or launched has not answered yet,
    // and whether one has been under way longer than silenceMs.
    bool occupe() const { return m_attentes > 0; }
    bool silencieux() const;

signals:
    // On the caller's thread.
    void silence();
    void reponse();

protected:
    // For the work on the thread, which may outlive this Fil when a call is
    // stuck: posting more work to the thread, and handing something to this
    // Fil on the caller's thread while it still stands (else nothing).
    using Posteur = std::function<void(std::function<void()>)>;
    Posteur posteur() const;
    using VersLAppelant = std::function<void(std::function<void(Fil &)>)>;
    VersLAppelant versLAppelant() const;

private:
    struct Etat;
    void attendre(std::function<void()> travail);
    void lancerBrut(QObject *contexte, std::function<void()> travail, std::function<void()> suite);
    void debutAttente();
    void finAttente();

    std::shared_ptr<Etat> m_etat;
    int m_attentes = 0;
    bool m_silence = false; // said, and not yet said again
    QTimer *m_minuterie;
    std::thread m_fil;
};
