// Texts between the Windows API and the product: its wide strings as the product's UTF-16, and the
// system's own texts (error messages).
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

// The Windows API's view of a UTF-16 string (wchar_t is 16 bits there).
inline const wchar_t* wideChars(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
// A wide text of the Windows API, at most `limit` characters up to its first zero.
std::u16string fromWideChars(const wchar_t* text, std::size_t limit);

// A window's text whole (an edit control's, say).
std::u16string windowTextWide(HWND window);

// The system's message for an error code, without its closing line break; "Unknown error <code>"
// when it has none.
std::string systemErrorText(DWORD error);
