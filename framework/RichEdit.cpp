#include "framework/RichEdit.h"

#include <algorithm>

namespace {
struct InStream {
    const std::string* text;
    size_t position;
};

DWORD CALLBACK readIn(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given) {
    auto* in = reinterpret_cast<InStream*>(cookie);
    size_t left = in->text->size() - in->position;
    size_t count = std::min(left, static_cast<size_t>(wanted > 0 ? wanted : 0));
    std::copy_n(in->text->data() + in->position, count, buffer);
    in->position += count;
    *given = static_cast<LONG>(count);
    return 0;
}

DWORD CALLBACK writeOut(DWORD_PTR cookie, LPBYTE buffer, LONG count, LONG* taken) {
    try {
        reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(buffer),
                                                       static_cast<size_t>(count > 0 ? count : 0));
        *taken = count;
        return 0;
    } catch (...) {  // out of memory: the control stops streaming
        *taken = 0;
        return 1;
    }
}
}  // namespace

bool loadRichEditLibrary() {
    static HMODULE library = ::LoadLibraryA("riched20.dll");
    return library != nullptr;
}

std::string CRichEditCtrl::StreamOutText() const {
    std::string text;
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&text);
    stream.pfnCallback = &writeOut;
    SendMessage(EM_STREAMOUT, SF_TEXT, reinterpret_cast<LPARAM>(&stream));
    return text;
}

bool CRichEditCtrl::StreamInText(const std::string& text) {
    // Every byte counts as at most one character, so this length always fits.
    long needed = static_cast<long>(std::min<size_t>(text.size() + 1, 0x7FFFFFFE));
    if (GetLimitText() < needed) LimitText(needed);
    InStream in{&text, 0};
    EDITSTREAM stream{};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&in);
    stream.pfnCallback = &readIn;
    SendMessage(EM_STREAMIN, SF_TEXT, reinterpret_cast<LPARAM>(&stream));
    return stream.dwError == 0;
}

bool CRichEditCtrl::SetTabStops(int count, int spacingTwips) {
    PARAFORMAT format{};
    format.cbSize = sizeof format;
    format.dwMask = PFM_TABSTOPS;
    format.cTabCount = static_cast<SHORT>(std::clamp(count, 0, MAX_TAB_STOPS));
    for (int i = 0; i < format.cTabCount; ++i) format.rgxTabs[i] = spacingTwips * (i + 1);
    return SendMessage(EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&format)) != 0;
}
