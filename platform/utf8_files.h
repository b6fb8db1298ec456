// File names are UTF-8 everywhere in the program; on Windows they reach the system as UTF-16, so
// that a folder named outside the ANSI code page ("日本語", "Łukasz" under code page 1252) works.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

// A path from a UTF-8 name (on Windows a plain std::string would be read in the code page).
std::filesystem::path pathFromUtf8(const std::string& name);
// fopen, rename and remove for UTF-8 names (errno says why they failed).
std::FILE* openFileUtf8(const std::string& name, const char* mode);
int renameFileUtf8(const std::string& from, const std::string& to);
int removeFileUtf8(const std::string& name);

#ifdef _WIN32
std::wstring wideFromUtf8(const std::string& text);
std::string utf8FromWide(const std::wstring& text);
#endif
