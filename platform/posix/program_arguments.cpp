// The arguments main was given are already UTF-8, and the program's standard error is its own.
#include "platform/process_start.h"

void useParentConsole() {}

ProgramArguments::ProgramArguments(int argc, char** argv)
{
    for (int i = 0; i < argc; ++i)
        arguments.emplace_back(argv[i] ? argv[i] : "");
    for (std::string& argument : arguments)
        pointers.push_back(argument.data());
}
