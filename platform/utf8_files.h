// File names are UTF-8 everywhere in the program; on Windows they reach the system as UTF-16, so
// that a folder named outside the ANSI code page ("日本語", "Łukasz" under code page 1252) works.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

// A path from a UTF-8 name (on Windows a plain std::string would be read in the code page).
std::filesystem::path pathFromUtf8(const std::string& name);
// fopen, rename and remove for UTF-8 names (errno says why they failed), in each backend's
// utf8_files.cpp: the C library's own calls (posix/), the wide ones (win32/).
std::FILE* openFileUtf8(const std::string& name, const char* mode);
int renameFileUtf8(const std::string& from, const std::string& to);
int removeFileUtf8(const std::string& name);
// The UTF-8 name of a path, whatever the system's own encoding of it.
std::string utf8FromPath(const std::filesystem::path& path);
