#pragma once

#include <QMetaObject>
#include <QObject>

#include <functional>
#include <memory>
#include <mutex>

// Where a list reads its folder: `travail` runs where a disk may be waited
// for, and returns what to do with what it read, which then runs on the
// window's thread. A window that must never wait for a share gives a thread
// of its own; by default both run at once, here.
using Suite = std::function<void()>;
using ArrierePlan = std::function<void(std::function<Suite()> travail)>;

inline void ici(const std::function<Suite()> &travail)
{
    travail()();
}

// Runs `f` later on the thread of `cible`. Qt's queue hands it over with
// futexes ThreadSanitizer cannot see, so `f` goes through a mutex of its own:
// what the calling thread made before is seen as handed over.
inline void plusTardSur(QObject *cible, std::function<void()> f)
{
    struct Colis {
        std::mutex mutex;
        std::function<void()> f;
    };
    auto colis = std::make_shared<Colis>();
    {
        std::lock_guard<std::mutex> verrou(colis->mutex);
        colis->f = std::move(f);
    }
    QMetaObject::invokeMethod(cible, [colis] {
        std::function<void()> g;
        {
            std::lock_guard<std::mutex> verrou(colis->mutex);
            g = std::move(colis->f);
        }
        g();
    }, Qt::QueuedConnection);
}
