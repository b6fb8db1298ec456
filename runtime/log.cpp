#include "platform/run_log.h"
#include "runtime/dms.h"
#include "runtime/offline.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace VELMORA_PELAGOR {

namespace {
void (*logSink)(const char*, void*) = nullptr;
void* logSinkContext = nullptr;
bool atLineStart = true;
} // namespace

void dmsSetLogSink(void (*sink)(const char*, void*), void* context)
{
    logSink = sink;
    logSinkContext = context;
}

void dmsMsg(const char* format, ...)
{
    char buffer[4096];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);

    // Every line that starts here carries the music time, so a log reads against the show.
    std::string text;
    const int position = dmsGetModulePosition();
    for (const char* p = buffer; *p; ++p) {
        if (atLineStart) {
            char stamp[32];
            std::snprintf(stamp, sizeof stamp, "[%3d.%03d] ", position / 1000, std::abs(position % 1000));
            text += stamp;
            atLineStart = false;
        }
        text += *p;
        if (*p == '\n')
            atLineStart = true;
    }
    std::fputs(text.c_str(), stderr);
    writeRunLog(text.c_str());
    if (logSink)
        logSink(buffer, logSinkContext);
}

} // namespace VELMORA_PELAGOR
