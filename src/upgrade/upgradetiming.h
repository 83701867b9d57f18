#pragma once

#include "mirt.h"

#include <chrono>

// Every pause of a batch upgrade, in one place. The defaults are the pauses
// the batch is designed with; tests hand in a subclass that runs them faster
// and keeps its own clock.
class UpgradeTiming
{
public:
    // Which pause is asked for, so a test clock can follow one of them.
    enum Pause {
        PollPause, // between two passes of the upgrade thread
        ReconnectPause, // before a login attempt to a rebooted device
    };

    virtual ~UpgradeTiming() = default;

    // Waits until `wake` is posted (true) or `length` has passed (false).
    virtual bool pause(MIRT_Sem wake, std::chrono::milliseconds length, Pause kind) const;

    // The upgrade thread polls every running upgrade once per interval.
    std::chrono::milliseconds pollInterval { 1000 };
    // A rebooted device is tried first after firstReconnectWait; each
    // following wait is reconnectWaitStep shorter, down to
    // shortestReconnectWait, and the device is given up once the waits add
    // up to reconnectLimit. Only the waits count, not the login attempts.
    std::chrono::seconds firstReconnectWait { 30 };
    std::chrono::seconds reconnectWaitStep { 5 };
    std::chrono::seconds shortestReconnectWait { 10 };
    std::chrono::seconds reconnectLimit { 240 };
};
