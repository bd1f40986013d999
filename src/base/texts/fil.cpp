#include "base/texts/fil.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

// What the thread and its callers share: it outlives the Fil when a call
// stuck in a disk keeps the thread to the end.
struct Fil::Etat {
    std::mutex mutex;
    std::condition_variable condition;
    std::deque<std::function<void()>> travaux;
    bool enCours = false, fin = false, termine = false;
    QElapsedTimer appel; // valid while a call runs
};

Fil::Fil() : m_etat(std::make_shared<Etat>())
{
    m_fil = std::thread([etat = m_etat] {
        std::unique_lock<std::mutex> verrou(etat->mutex);
        for (;;) {
            etat->condition.wait(verrou, [&] { return !etat->travaux.empty() || etat->fin; });
            if (etat->travaux.empty())
                break;
            std::function<void()> travail = std::move(etat->travaux.front());
            etat->travaux.pop_front();
            etat->enCours = true;
            etat->appel.start();
            verrou.unlock();
            travail();
            verrou.lock();
            etat->enCours = false;
            etat->appel.invalidate();
            etat->condition.notify_all();
        }
        etat->termine = true;
        etat->condition.notify_all();
    });
}

Fil::~Fil()
{
    std::unique_lock<std::mutex> verrou(m_etat->mutex);
    m_etat->fin = true;
    m_etat->condition.notify_all();
    // A call stuck in a disk is never waited for: the thread is left to it.
    if (m_etat->condition.wait_for(verrou, std::chrono::seconds(1), [this] { return m_etat->termine; })) {
        verrou.unlock();
        m_fil.join();
    } else {
        m_fil.detach();
    }
}

void Fil::poster(std::function<void()> travail)
{
    {
        std::lock_guard<std::mutex> verrou(m_etat->mutex);
        m_etat->travaux.push_back(std::move(travail));
    }
    m_etat->condition.notify_all();
}

bool Fil::vider(int ms)
{
    std::unique_lock<std::mutex> verrou(m_etat->mutex);
    return m_etat->condition.wait_for(verrou, std::chrono::milliseconds(ms),
                                      [this] { return m_etat->travaux.empty() && !m_etat->enCours; });
}

void Fil::attendre(std::function<void()> travail)
{
    QEventLoop boucle;
    auto fini = std::make_shared<std::atomic<bool>>(false);
    poster([travail = std::move(travail), fini, quitter = QPointer<QEventLoop>(&boucle), moi = QPointer<Fil>(this)] {
        travail();
        *fini = true;
        // Quits the loop on the caller's thread, where it lives.
        QMetaObject::invokeMethod(moi, [quitter] {
            if (quitter)
                quitter->quit();
        }, Qt::QueuedConnection);
    });
    ++m_attentes;
    bool silence = false;
    QTimer minuterie;
    minuterie.setSingleShot(true);
    connect(&minuterie, &QTimer::timeout, this, [&] {
        silence = true;
        emit this->silence();
    });
    minuterie.start(silenceMs);
    while (!*fini)
        boucle.exec();
    --m_attentes;
    if (silence)
        emit reponse();
}

bool Fil::silencieux() const
{
    std::lock_guard<std::mutex> verrou(m_etat->mutex);
    return m_etat->appel.isValid() && m_etat->appel.elapsed() > silenceMs;
}
