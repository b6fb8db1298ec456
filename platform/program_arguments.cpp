#include "platform/process_start.h"

#ifdef _WIN32
#include "platform/utf8_files.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#endif

void useParentConsole()
{
#ifdef _WIN32
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if ((error == nullptr || error == INVALID_HANDLE_VALUE) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
    }
#endif
}

ProgramArguments::ProgramArguments(int argc, char** argv)
{
#ifdef _WIN32
    int wideCount = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &wideCount)) {
        for (int i = 0; i < wideCount; ++i)
            arguments.push_back(utf8FromWide(wide[i]));
        LocalFree(wide);
    }
#endif
    if (arguments.empty())
        for (int i = 0; i < argc; ++i)
            arguments.emplace_back(argv[i] ? argv[i] : "");
    for (std::string& argument : arguments)
        pointers.push_back(argument.data());
}
