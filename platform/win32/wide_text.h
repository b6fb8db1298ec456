// UTF-8 and the UTF-16 of Windows' wide calls, both ways.
#pragma once

#include <string>

std::wstring wideFromUtf8(const std::string& text);
std::string utf8FromWide(const std::wstring& text);
