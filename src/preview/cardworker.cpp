#include "cardworker.h"

void CardWorker::Result(bool *initialise, bool *succeeded) const
{
    if (initialise != nullptr) {
        *initialise = m_initialise;
    }
    if (succeeded != nullptr) {
        *succeeded = m_succeeded;
    }
}

void CardWorker::finishRun(bool succeeded)
{
    m_succeeded = succeeded;
    emit CardInitOrDeInit(m_initialise, succeeded);
}

void NoCardWorker::run()
{
    finishRun(!initialising());
}
