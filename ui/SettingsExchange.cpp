#include "ui/SettingsExchange.h"

#include <climits>

#include "framework/Dialog.h"

namespace {

// Stored texts break lines with "\n" (the templates); an edit control wants CR LF. Every "\n" gets
// a CR in front and every CR LF loses it again, so that any text, CRs of its own included, comes
// back as it went in.
std::string toControlText(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::string fromControlText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
    return out;
}

}  // namespace

void CSettingsExchange::exchangeText(CDataExchange& dx, int id, std::string& value) {
    CWnd edit(::GetDlgItem(dx.dialog().GetSafeHwnd(), id));
    if (!dx.saving()) {
        edit.SetWindowText(toControlText(value));
        m_shown[id] = edit.GetWindowText();
        return;
    }
    std::string text = edit.GetWindowText();
    auto shown = m_shown.find(id);
    if (shown != m_shown.end() && shown->second == text) return;
    value = fromControlText(text);
    m_shown[id] = std::move(text);
}

void CSettingsExchange::exchangeNumber(CDataExchange& dx, const PageControl& c, const SettingRange& range,
                                       int& value) {
    switch (c.kind) {
    case ControlKind::CheckBox: {
        bool set = (value & c.bit) != 0;
        dx.Check(c.id, set);
        value = set ? value | c.bit : value & ~c.bit;
        break;
    }
    case ControlKind::Edit:
        dx.Text(c.id, value);
        if (range.bounded()) dx.MinMax(c.id, value, range.min, range.max);
        break;
    case ControlKind::CountEdit: {
        unsigned count = value > 0 ? static_cast<unsigned>(value) : 0u;
        dx.Text(c.id, count);
        value = static_cast<int>(count);
        if (range.bounded())
            dx.MinMax(c.id, count, static_cast<unsigned>(range.min < 0 ? 0 : range.min),
                      static_cast<unsigned>(range.max < 0 ? 0 : range.max));
        break;
    }
    case ControlKind::DropList: {
        // A list with no line chosen keeps the value it had.
        int index = value;
        dx.CBIndex(c.id, index);
        if (index >= 0) value = index;
        break;
    }
    default:
        break;  // the time picker is put and taken by the page itself
    }
}

void CSettingsExchange::putTime(CDateTimeCtrl& picker, int hour, int minute) {
    if (!picker.IsWindow()) return;
    SYSTEMTIME time{};
    ::GetLocalTime(&time);
    // An odd stored value shows as the nearest time of day.
    time.wHour = static_cast<WORD>(hour < 0 ? 0 : hour > 23 ? 23 : hour);
    time.wMinute = static_cast<WORD>(minute < 0 ? 0 : minute > 59 ? 59 : minute);
    time.wSecond = 0;
    time.wMilliseconds = 0;
    picker.SetTime(time);
}

bool CSettingsExchange::takeTime(CDateTimeCtrl& picker, int& hour, int& minute) {
    SYSTEMTIME time{};
    if (!picker.IsWindow() || picker.GetTime(time) != GDT_VALID) return false;
    hour = time.wHour;
    minute = time.wMinute;
    return true;
}
