#include "runtime/version.h"

std::string versionLine(const char* program)
{
    std::string line = std::string(program) + " " + orvaluneVersion();
    if (*orvaluneCommit())
        line += std::string(" (commit ") + orvaluneCommit() + ")";
    return line;
}
