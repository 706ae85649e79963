// The rich edit control (class "RichEdit20A"). Its library is loaded at run time, once, so that
// the plug-in links against the always-present system libraries only.
#pragma once
#include <windows.h>
#include <richedit.h>

#include <string>

#include "framework/Controls.h"

// Loads riched20.dll once for the process (it stays loaded); true when its window classes exist.
bool loadRichEditLibrary();

class CRichEditCtrl : public CEdit {
public:
    using CEdit::CEdit;
    // The most characters the control holds (typing, pasting, streaming); 32,767 unless raised.
    long GetLimitText() const { return static_cast<long>(SendMessage(EM_GETLIMITTEXT)); }
    void LimitText(long characters) { SendMessage(EM_EXLIMITTEXT, 0, static_cast<LPARAM>(characters)); }
    // The whole text, as plain text in the control's code page; paragraph ends come out as the
    // control writes them (CR LF or CR).
    std::string StreamOutText() const;
    // Replaces the whole text, raising the limit first when the text would not fit.
    bool StreamInText(const std::string& text);
    // Tab stops every `spacingTwips` (`count` of them) for the paragraphs of the selection.
    bool SetTabStops(int count, int spacingTwips);
};
