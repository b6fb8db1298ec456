// Windows hands a program no closed descriptors to fill and has no SIGPIPE; the capture's stop
// requests come from the console there (tools/capture/win32/stop_request.cpp). A page has
// neither, nor signals: it ends by Escape, by the show's end, or with its tab.
#include "platform/process_start.h"

void prepareProcess() {}

const std::vector<StopSignal>& stopSignals()
{
    static const std::vector<StopSignal> none;
    return none;
}

void catchStopSignals(void (*)(int)) {}

void stopSignalsActAsTerminate() {}
