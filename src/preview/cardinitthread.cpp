#include "cardinitthread.h"

#include "kelvra.h"

void CardInitThread::run()
{
    if (initialising()) {
        // One call brings up every card in the PC; a count of 0 is a PC without cards.
        finishRun(InitDSPs() > 0);
        return;
    }
    DeInitDSPs();
    finishRun(true);
}
