// File names on Windows: UTF-8 in the program, UTF-16 for the system's wide calls.
#include "platform/utf8_files.h"
#include "platform/win32/wide_text.h"

#include <windows.h>

std::wstring wideFromUtf8(const std::string& text)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length > 0 ? length : 0), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
    return wide;
}

std::string utf8FromWide(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), length, nullptr, nullptr);
    return narrow;
}

std::FILE* openFileUtf8(const std::string& name, const char* mode)
{
    return _wfopen(wideFromUtf8(name).c_str(), wideFromUtf8(mode).c_str());
}

int renameFileUtf8(const std::string& from, const std::string& to)
{
    return _wrename(wideFromUtf8(from).c_str(), wideFromUtf8(to).c_str());
}

int removeFileUtf8(const std::string& name) { return _wremove(wideFromUtf8(name).c_str()); }
