// Windows gives main its arguments in the ANSI code page: they are read again from the UTF-16
// command line. A GUI program started from a prompt writes to the prompt's console.
#include "platform/process_start.h"
#include "platform/win32/wide_text.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>

void useParentConsole()
{
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if ((error == nullptr || error == INVALID_HANDLE_VALUE) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
    }
}

ProgramArguments::ProgramArguments(int argc, char** argv)
{
    int wideCount = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &wideCount)) {
        for (int i = 0; i < wideCount; ++i)
            arguments.push_back(utf8FromWide(wide[i]));
        LocalFree(wide);
    }
    if (arguments.empty())
        for (int i = 0; i < argc; ++i)
            arguments.emplace_back(argv[i] ? argv[i] : "");
    for (std::string& argument : arguments)
        pointers.push_back(argument.data());
}
