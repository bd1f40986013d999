#pragma once

#include <functional>

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
