// File names where the C library takes UTF-8 as it is (Linux, the page's file system).
#include "platform/utf8_files.h"

std::FILE* openFileUtf8(const std::string& name, const char* mode) { return std::fopen(name.c_str(), mode); }
int renameFileUtf8(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()); }
int removeFileUtf8(const std::string& name) { return std::remove(name.c_str()); }
