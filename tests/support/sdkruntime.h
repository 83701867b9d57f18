#pragma once

#include "mirt.h"
#include "solvane.h"

// The runtime and the SDK for a suite's lifetime: declared before the
// suite's cameras and managers, it outlives them.
struct SdkRuntime
{
    // `receiveTimeoutMs` 0 keeps the SDK's own.
    explicit SdkRuntime(unsigned receiveTimeoutMs = 0)
    {
        MIRT_Init();
        SOLV_Init();
        if (receiveTimeoutMs != 0) {
            SOLV_SetRecvTimeOut(receiveTimeoutMs);
        }
    }
    ~SdkRuntime()
    {
        SOLV_Cleanup();
        MIRT_Fini();
    }
    SdkRuntime(const SdkRuntime &) = delete;
    SdkRuntime &operator=(const SdkRuntime &) = delete;
};
