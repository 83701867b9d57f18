#pragma once

#include "cardworker.h"

// Brings the capture cards up (InitDSPs) or releases them (DeInitDSPs) on
// its own thread, while the main window waits in its modal dialog.
class CardInitThread final : public CardWorker
{
    Q_OBJECT

public:
    using CardWorker::CardWorker;

protected:
    void run() override;
};
