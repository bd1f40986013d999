#include "base/texts/fil.h"

#include <QElapsedTimer>
#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <utility>

// What the thread and its callers share: it outlives the Fil when a call
// stuck in a disk keeps the thread to the end.
struct Fil::Etat {
    std::mutex mutex;
    std::condition_variable condition;
    std::deque<std::function<void()>> travaux;
    bool enCours = false, fin = false, termine = false;
    // Where answers are queued; cleared, under the mutex, before the Fil
    // goes, so that a call ending late never posts to a freed object.
    QObject *recepteur = nullptr;
    QElapsedTimer appel; // valid while a call runs
};

Fil::Fil() : m_etat(std::make_shared<Etat>()), m_minuterie(new QTimer(this))
{
    m_etat->recepteur = this;
    m_minuterie->setSingleShot(true);
    m_minuterie->setInterval(silenceMs);
    connect(m_minuterie, &QTimer::timeout, this, [this] {
        m_silence = true;
        emit silence();
    });
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
    m_etat->recepteur = nullptr;
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
    posteur()(std::move(travail));
}

Fil::Posteur Fil::posteur() const
{
    return [etat = m_etat](std::function<void()> travail) {
        {
            std::lock_guard<std::mutex> verrou(etat->mutex);
            etat->travaux.push_back(std::move(travail));
        }
        etat->condition.notify_all();
    };
}

Fil::VersLAppelant Fil::versLAppelant() const
{
    return [etat = m_etat](std::function<void(Fil &)> f) {
        std::lock_guard<std::mutex> verrou(etat->mutex);
        if (auto *moi = static_cast<Fil *>(etat->recepteur))
            QMetaObject::invokeMethod(moi, [etat, moi, f = std::move(f)] {
                // Through the mutex it was posted under: what the thread
                // made before is seen as handed over, by ThreadSanitizer too.
                { std::lock_guard<std::mutex> verrou(etat->mutex); }
                f(*moi);
            }, Qt::QueuedConnection);
    };
}

bool Fil::vider(int ms)
{
    std::unique_lock<std::mutex> verrou(m_etat->mutex);
    return m_etat->condition.wait_for(verrou, std::chrono::milliseconds(ms),
                                      [this] { return m_etat->travaux.empty() && !m_etat->enCours; });
}

void Fil::debutAttente()
{
    if (m_attentes++ == 0)
        m_minuterie->start();
}

void Fil::finAttente()
{
    if (--m_attentes > 0)
        return;
    m_minuterie->stop();
    if (std::exchange(m_silence, false))
        emit reponse();
}

void Fil::lancerBrut(QObject *contexte, std::function<void()> travail, std::function<void()> suite)
{
    debutAttente();
    poster([vers = versLAppelant(), travail = std::move(travail), contexte = QPointer<QObject>(contexte),
            suite = std::move(suite)] {
        travail();
        vers([contexte, suite](Fil &moi) {
            moi.finAttente();
            if (contexte)
                suite();
        });
    });
}

void Fil::attendre(std::function<void()> travail)
{
    bool fini = false;
    lancerBrut(this, std::move(travail), [&] { fini = true; });
    // Not a QEventLoop::exec(): once the application quits, exec() returns at
    // once without waiting, and the wait would spin.
    while (!fini)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

bool Fil::silencieux() const
{
    std::lock_guard<std::mutex> verrou(m_etat->mutex);
    return m_etat->appel.isValid() && m_etat->appel.elapsed() > silenceMs;
}
