#pragma once

#include "upgradetiming.h"

#include <QtGlobal>

#include <atomic>
#include <functional>

// The batch's pauses `speedup` times shorter (0: they take no time at all),
// and a clock that adds up the reconnection pauses that ran out: with one
// device reconnecting it reads the schedule's own times, whatever the login
// attempts between them cost.
class FastTiming : public UpgradeTiming
{
public:
    explicit FastTiming(int speedup) : m_speedup(speedup) { }

    bool pause(MIRT_Sem wake, std::chrono::milliseconds length, Pause kind) const override
    {
        if (kind == PollPause) {
            const int pass = ++polls;
            if (onPoll) {
                onPoll(pass);
            }
        }
        const auto real = m_speedup > 0 ? length.count() / m_speedup : 0;
        if (MIRT_SemTimedWait(wake, unsigned(real)) == 0) {
            return true;
        }
        if (kind == ReconnectPause) {
            reconnectClockMs += length.count();
        }
        return false;
    }

    std::chrono::seconds reconnectClock() const
    {
        return std::chrono::duration_cast<std::chrono::seconds>(
            std::chrono::milliseconds(reconnectClockMs.load()));
    }

    // Called on the upgrade thread at the end of every pass, before its
    // pause, with the pass number from 1.
    std::function<void(int pass)> onPoll;
    mutable std::atomic<int> polls { 0 };
    mutable std::atomic<qint64> reconnectClockMs { 0 };

private:
    int m_speedup;
};
