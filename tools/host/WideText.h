// Conversions between the stand-in's wide texts and the code pages its script and log use.
#pragma once
#include <windows.h>

#include <string>

std::wstring fromCodePage(const std::string& text, UINT codePage);
std::string toCodePage(const std::wstring& text, UINT codePage);
// What the ANSI code page makes of a wide text (characters it cannot hold become '?').
inline std::string toAnsi(const std::wstring& text) { return toCodePage(text, CP_ACP); }
inline std::string toUtf8(const std::wstring& text) { return toCodePage(text, CP_UTF8); }
