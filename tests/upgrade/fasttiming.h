#pragma once

#include "upgradetiming.h"

#include <QtGlobal>

#include <atomic>
#include <functional>

// The batch's pauses `speedup` times shorter, and a clock that adds up the
// reconnection pauses that ran out: with one device reconnecting it reads
// the schedule's own times, whatever the login attempts between them cost.
class FastTiming : public UpgradeTiming
{
public:
    explicit FastTiming(int speedup) : m_speedup(speedup) { }

    bool pause(MIRT_Sem wake, std::chrono::milliseconds length, Pause kind) const override
    {
        if (kind == PollPause && onPoll) {
            onPoll();
        }
        if (kind == ReconnectPause && onReconnectPause) {
            onReconnectPause(reconnectClock());
        }
        if (MIRT_SemTimedWait(wake, unsigned(length.count() / m_speedup)) == 0) {
            return true;
        }
        if (kind == ReconnectPause) {
            m_reconnectMs += length.count();
        }
        return false;
    }

    int reconnectClock() const { return int(m_reconnectMs / 1000); } // seconds

    // Called on the upgrade thread at the end of every pass, before its pause.
    std::function<void()> onPoll;
    // Called on a reconnection thread before each of its pauses.
    std::function<void(int clock)> onReconnectPause;

private:
    int m_speedup;
    mutable std::atomic<qint64> m_reconnectMs { 0 };
};
