#include "framework/DataExchange.h"

#include <cctype>
#include <climits>
#include <string>

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/MessageBox.h"
#include "framework/RichEdit.h"
#include "framework/FrameworkTexts.h"

namespace {
std::string replaceAll(std::string text, const std::string& what, const std::string& with) {
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}
}  // namespace

bool parseExchangedNumber(const std::string& text, long long min, long long max, long long& value) {
    size_t i = 0;
    auto blank = [&](size_t at) { return at < text.size() && (text[at] == ' ' || text[at] == '\t'); };
    while (blank(i)) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    size_t digits = 0;
    unsigned long long magnitude = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        magnitude = magnitude * 10 + static_cast<unsigned>(text[i] - '0');
        if (magnitude > (1ULL << 40)) return false;  // far beyond any 32-bit value: stop before overflow
        ++i;
        ++digits;
    }
    while (blank(i)) ++i;
    if (digits == 0 || i != text.size()) return false;
    long long result = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    if (result < min || result > max) return false;
    value = result;
    return true;
}

HWND CDataExchange::control(int id) const { return ::GetDlgItem(m_dialog.GetSafeHwnd(), id); }

void CDataExchange::Fail(int id, const std::string& message) {
    HWND window = control(id);
    showMessageBox(m_dialog.GetSafeHwnd(), message, messageBoxCaption(), MB_OK | MB_ICONEXCLAMATION);
    if (window) {
        ::SetFocus(window);
        char className[16] = {};
        ::GetClassNameA(window, className, sizeof className);
        if (lstrcmpiA(className, "Edit") == 0) ::SendMessageA(window, EM_SETSEL, 0, -1);
    }
    throw DataExchangeStopped{};
}

void CDataExchange::Text(int id, std::string& value) {
    CWnd window(control(id));
    if (m_bSaveAndValidate)
        value = window.GetWindowText();
    else
        window.SetWindowText(value);
}

void CDataExchange::Text(int id, int& value) {
    CWnd window(control(id));
    if (!m_bSaveAndValidate) {
        window.SetWindowText(std::to_string(value));
        return;
    }
    long long number = 0;
    if (!parseExchangedNumber(window.GetWindowText(), INT_MIN, INT_MAX, number)) Fail(id, frameworkTexts().integerExpected);
    value = static_cast<int>(number);
}

void CDataExchange::Text(int id, unsigned& value) {
    CWnd window(control(id));
    if (!m_bSaveAndValidate) {
        window.SetWindowText(std::to_string(value));
        return;
    }
    long long number = 0;
    if (!parseExchangedNumber(window.GetWindowText(), 0, UINT_MAX, number))
        Fail(id, frameworkTexts().positiveIntegerExpected);
    value = static_cast<unsigned>(number);
}

void CDataExchange::Check(int id, int& value) {
    CButton button(control(id));
    if (m_bSaveAndValidate)
        value = button.GetCheck();
    else
        button.SetCheck(value == 0 ? BST_UNCHECKED : value == 2 ? BST_INDETERMINATE : BST_CHECKED);
}

void CDataExchange::Check(int id, bool& value) {
    int state = value ? 1 : 0;
    Check(id, state);
    value = state != 0;
}

void CDataExchange::Radio(int firstId, int& index) {
    HWND first = control(firstId);
    int position = 0;
    if (m_bSaveAndValidate) index = -1;
    for (HWND button = first; button; button = ::GetWindow(button, GW_HWNDNEXT)) {
        if (button != first && (::GetWindowLongPtrA(button, GWL_STYLE) & WS_GROUP)) break;
        if (!(::SendMessageA(button, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)) continue;
        if (m_bSaveAndValidate) {
            if (::SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED) {
                index = position;
                break;
            }
        } else {
            ::SendMessageA(button, BM_SETCHECK, position == index ? BST_CHECKED : BST_UNCHECKED, 0);
        }
        ++position;
    }
}

void CDataExchange::CBIndex(int id, int& index) {
    CComboBox box(control(id));
    if (m_bSaveAndValidate)
        index = box.GetCurSel();
    else
        box.SetCurSel(index);
}

void CDataExchange::MinMax(int id, int value, int min, int max) {
    if (!m_bSaveAndValidate || (value >= min && value <= max)) return;
    std::string text = frameworkTexts().integerRange;
    text = replaceAll(replaceAll(text, "%1", std::to_string(min)), "%2", std::to_string(max));
    Fail(id, text);
}

void CDataExchange::MinMax(int id, unsigned value, unsigned min, unsigned max) {
    if (!m_bSaveAndValidate || (value >= min && value <= max)) return;
    std::string text = frameworkTexts().integerRange;
    text = replaceAll(replaceAll(text, "%1", std::to_string(min)), "%2", std::to_string(max));
    Fail(id, text);
}

std::string withNewlineBreaks(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            result += text[i];
            continue;
        }
        result += '\n';
        if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    }
    return result;
}

void CDataExchange::RichText(int id, std::string& value) {
    CRichEditCtrl edit(control(id));
    if (m_bSaveAndValidate)
        value = withNewlineBreaks(edit.StreamOutText());
    else
        // Lone LF is a paragraph end to the control in any chunk of the stream (a CR LF split
        // between two chunks would make two), and CR CR LF would be read as a space.
        edit.StreamInText(withNewlineBreaks(value));
}

void CDataExchange::DateTime(int id, SYSTEMTIME& value) {
    CDateTimeCtrl picker(control(id));
    if (!m_bSaveAndValidate) {
        picker.SetTime(value);
        return;
    }
    SYSTEMTIME time{};
    if (picker.GetTime(time) == GDT_VALID) value = time;
}
