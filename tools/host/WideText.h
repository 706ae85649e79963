// The stand-in's wide texts (the Windows API's) in the code pages its script and log use, through
// the product's own conversions. Only CP_UTF8 and CP_ACP are known.
#pragma once
#include <windows.h>

#include <string>

std::wstring fromCodePage(const std::string& text, UINT codePage);
std::string toCodePage(const std::wstring& text, UINT codePage);
// What the ANSI code page makes of a wide text (characters it cannot hold become '?').
inline std::string toAnsi(const std::wstring& text) { return toCodePage(text, CP_ACP); }
inline std::string toUtf8(const std::wstring& text) { return toCodePage(text, CP_UTF8); }
