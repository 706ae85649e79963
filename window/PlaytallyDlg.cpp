#include "window/PlaytallyDlg.h"

#include <commctrl.h>

#include <algorithm>

#include <cstdio>
#include <ctime>

#include "database/Doc.h"
#include "core/Profile.h"
#include "app/PlaytallyApp.h"
#include "framework/Module.h"
#include "resources/StringTable.h"
#include "resources/resource.h"
#include "ui/HelpControls.h"
#include "ui/MyStatic.h"

namespace {

const char* const kSection = "Playtally Dialog";
constexpr UINT_PTR kHelpTimer = 1;
constexpr int kMinWidth = 353, kMinHeight = 500;

// Column switches by field id: check box id, registry key, default, help id.
struct Switch {
    int id;
    const char* key;
    int def;
    int help;
};
const Switch kSwitches[kFieldCount] = {
    {1032, "Num", 1, 1038},    {1053, "ShowDate", 0, 1042}, {1033, "Hits", 0, 1039},    {1035, "Len", 0, 1040},
    {1036, "LenPlayed", 0, 1041}, {1048, "Artist", 1, 1043}, {1047, "Title", 1, 1044},  {1049, "Album", 0, 1045},
    {1050, "Year", 0, 1047},   {1051, "Genre", 0, 1046},    {1052, "Comment", 0, 1050},
};
// The link labels and their help ids.
const int kLinks[][2] = {{1100, 1060}, {1098, 1061}, {1101, 1062}, {1091, 1063}, {1092, 43}, {1093, 47}, {1097, 1064}};
// The other help-aware controls: 0 button, 1 combo, 2 edit, 3 help area.
const int kHelped[][3] = {{1031, 1051, 0}, {1, 1048, 0}, {2, 1049, 0}, {1012, 1052, 0}, {1013, 1053, 0},
                          {1019, 1056, 1}, {1104, 1057, 3}, {1022, 1065, 2}, {1109, 40, 0}, {1110, 41, 0}};

TimeValue periodStart(int index, TimeValue now) {
    switch (index) {
    case 0: {
        std::tm t = {};
        t.tm_year = 90;
        t.tm_mday = 1;
        t.tm_hour = t.tm_min = t.tm_sec = 1;
        t.tm_isdst = -1;
        return static_cast<TimeValue>(std::mktime(&t));
    }
    case 1: return now - 86400;
    case 2: return now - 7 * 86400;
    case 3: return now - 31 * 86400;
    case 4: return now - 356 * 86400;
    default: return index;
    }
}

TimeValue fromSystemTime(const SYSTEMTIME& s) {
    std::tm t = {};
    t.tm_year = s.wYear - 1900;
    t.tm_mon = s.wMonth - 1;
    t.tm_mday = s.wDay;
    t.tm_hour = s.wHour;
    t.tm_min = s.wMinute;
    t.tm_sec = s.wSecond;
    t.tm_isdst = -1;
    return static_cast<TimeValue>(std::mktime(&t));
}

}  // namespace

CPlaytallyDlg::CPlaytallyDlg(CDoc* doc, IProfile* profile)
    : CResizeDialog(1001, nullptr, 0), m_doc(doc), m_profile(profile) {
    auto get = [this](const char* key, int def) { return StoredInt(key, def); };
    m_periodKind = get("TimePeriod", 1) == 0 ? 0 : 1;
    m_lastCombo = get("LastCombo", 3);
    if (m_lastCombo < 0 || m_lastCombo > 4) m_lastCombo = 3;
    for (int f = 0; f < kFieldCount; ++f) m_checks[f] = get(kSwitches[f].key, kSwitches[f].def) != 0;
    m_showTop = get("ShowTop", 1) != 0;
    m_topCount = get("TopCnt", 100);
    if (m_topCount < 1) m_topCount = 100;
    m_shown = m_checks;
}

int CPlaytallyDlg::StoredInt(const char* key, int def) const {
    return m_profile ? m_profile->getInt(kSection, key, def) : def;
}

template <class Wrapper>
Wrapper& CPlaytallyDlg::AttachHelp(int id, int help) {
    auto wrapper = std::make_unique<Wrapper>();
    Wrapper& attached = *wrapper;
    wrapper->SubclassDlgItem(id, m_hWnd);
    wrapper->m_helpValue = static_cast<HelpValue>(help);
    m_wrappers.push_back(std::move(wrapper));
    return attached;
}

CPlaytallyDlg::~CPlaytallyDlg() {
    *m_alive = false;
    if (PlaytallyHelpSink() == this) SetPlaytallyHelpSink(nullptr);
}

BOOL CPlaytallyDlg::OnInitDialog() {
    SetWindowText(loadString(16));
    CResizeDialog::OnInitDialog();
    SetPlaytallyHelpSink(this);
    for (const auto& link : kLinks) AttachHelp<CMyStatic>(link[0], link[1]);
    m_list.SubclassList(::GetDlgItem(m_hWnd, 1010));
    m_list.m_helpId = 1058;
    m_list.SetHighlightWholeRow();
    for (const Switch& s : kSwitches) AttachHelp<CHelpButton>(s.id, s.help);
    for (const auto& h : kHelped) {
        switch (h[2]) {
        case 0: AttachHelp<CHelpButton>(h[0], h[1]); break;
        case 1: AttachHelp<CHelpComboBox>(h[0], h[1]); break;
        case 2: AttachHelp<CHelpEdit>(h[0], h[1]); break;
        default: AttachHelp<CMyStatic>(h[0], h[1]).m_hoverOff = TRUE; break;
        }
    }
    std::vector<unsigned char> kinds;
    for (int f = 0; f < kFieldCount; ++f)
        if (m_shown[f]) kinds.push_back(CTrackListCtrl::KindOf(f));
    if (m_list.SetSortKinds(kinds.data(), static_cast<int>(kinds.size()))) m_list.m_sortable = true;
    HICON icon = static_cast<HICON>(LoadImageA(moduleInstance(),
                                               MAKEINTRESOURCEA(IDI_PLAYTALLY), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    if (icon) {
        SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
    ::SetTimer(m_hWnd, kHelpTimer, 50, nullptr);
    for (int id : {1024, 1025}) {
        HWND placeholder = ::GetDlgItem(m_hWnd, id);
        RECT r = {0, 0, 80, 20};
        if (placeholder) {
            ::GetWindowRect(placeholder, &r);
            ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
            ::DestroyWindow(placeholder);
        }
        HWND picker = CreateWindowExA(0, DATETIMEPICK_CLASSA, "", WS_CHILD | WS_VISIBLE | DTS_SHORTDATEFORMAT, r.left,
                                      r.top, r.right - r.left, r.bottom - r.top, m_hWnd,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        ::SendMessageA(picker, WM_SETFONT, SendMessage(WM_GETFONT), TRUE);
        (id == 1024 ? m_since : m_till) = picker;
        AttachHelp<CHelpDateTimeCtrl>(id, id == 1024 ? 1054 : 1055);
    }
    HWND combo = ::GetDlgItem(m_hWnd, 1019);
    for (int s : {6, 2, 3, 4, 5}) ::SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(loadString(s).c_str()));
    const bool log = m_profile && m_profile->getInt(kSection, "SelectedTab", 0) != 0;
    CheckDlgButton(log ? 1110 : 1109, BST_CHECKED);
    RestoreDates();
    RestoreWindowRect();
    WriteControls();
    UpdateControlStates();
    RECT c;
    ::GetClientRect(m_hWnd, &c);
    Layout(c.right, c.bottom);
    SetDlgItemText(1022, std::to_string(m_topCount));  // its change notification fills the list
    return TRUE;
}

void CPlaytallyDlg::RestoreDates() {
    const std::time_t now = std::time(nullptr);
    const std::time_t yesterday = now - 86400;
    std::tm s = *std::localtime(&yesterday), t = *std::localtime(&now);
    auto get = [this](const char* key, int def) { return StoredInt(key, def); };
    SYSTEMTIME since = {}, till = {};
    since.wYear = WORD(get("SYear", s.tm_year + 1900)); since.wMonth = WORD(get("SMonth", s.tm_mon + 1)); since.wDay = WORD(get("SDay", s.tm_mday));
    till.wYear = WORD(get("TYear", t.tm_year + 1900)); till.wMonth = WORD(get("TMonth", t.tm_mon + 1)); till.wDay = WORD(get("TDay", t.tm_mday));
    // A date the calendar lacks (2025-02-31) is refused by the picker: both then show now.
    FILETIME probe;
    if (!SystemTimeToFileTime(&since, &probe) || !SystemTimeToFileTime(&till, &probe) ||
        !::SendMessageA(m_since, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&since)) ||
        !::SendMessageA(m_till, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&till))) {
        SYSTEMTIME current;
        GetLocalTime(&current);
        ::SendMessageA(m_since, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&current));
        ::SendMessageA(m_till, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&current));
    }
}

void CPlaytallyDlg::RestoreWindowRect() {
    const int W = GetSystemMetrics(SM_CXSCREEN), H = GetSystemMetrics(SM_CYSCREEN);
    auto get = [this](const char* key, int def) { return StoredInt(key, def); };
    int cx = get("CX", kMinWidth), cy = get("CY", kMinHeight);
    // Sizes that make no sense (0, beyond the screen) give the default size.
    if (cx < kMinWidth || cx > W) cx = std::min(kMinWidth, W);
    if (cy < kMinHeight || cy > H) cy = std::min(kMinHeight, H);
    int left = std::max(0, get("Left", W / 2 - 176)), top = std::max(0, get("Top", H / 2 - 250));
    if (left > W - cx) left = W - cx;  // never left + cx: a stored left near the int's end would overflow
    if (top > H - cy) top = H - cy;
    ::MoveWindow(m_hWnd, std::max(0, left), std::max(0, top), cx, cy, TRUE);
}

void CPlaytallyDlg::ReadControls() {
    for (int f = 0; f < kFieldCount; ++f) m_checks[f] = IsDlgButtonChecked(kSwitches[f].id) == BST_CHECKED;
    m_showTop = IsDlgButtonChecked(1031) == BST_CHECKED;
    m_periodKind = IsDlgButtonChecked(1012) == BST_CHECKED ? 0 : 1;
    m_lastCombo = static_cast<int>(::SendDlgItemMessageA(m_hWnd, 1019, CB_GETCURSEL, 0, 0));
}

void CPlaytallyDlg::WriteControls() {
    for (int f = 0; f < kFieldCount; ++f) CheckDlgButton(kSwitches[f].id, m_checks[f] ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(1031, m_showTop ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(1012, m_periodKind == 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(1013, m_periodKind == 1 ? BST_CHECKED : BST_UNCHECKED);
    ::SendDlgItemMessageA(m_hWnd, 1019, CB_SETCURSEL, static_cast<WPARAM>(m_lastCombo), 0);
    SetDlgItemText(1104, m_helpText);
}

void CPlaytallyDlg::UpdateControlStates() {
    ReadControls();
    ::EnableWindow(::GetDlgItem(m_hWnd, 1019), m_periodKind == 1);
    ::EnableWindow(m_since, m_periodKind == 0);
    ::EnableWindow(m_till, m_periodKind == 0);
    ::EnableWindow(::GetDlgItem(m_hWnd, 1022), m_showTop);
}

bool CPlaytallyDlg::ValidateTopCount(bool quiet) {
    HWND edit = ::GetDlgItem(m_hWnd, 1022);
    if (!edit) return false;
    const std::string text = GetDlgItemText(1022);
    if (text.empty()) {
        m_topCount = 1;
        return true;
    }
    // "%i" reads hexadecimal and octal too; anything beyond an int is as invalid as below 1.
    long long value = 0;
    char* end = nullptr;
    value = std::strtoll(text.c_str(), &end, 0);
    if (end == text.c_str() || value < 1 || value > 2147483647LL) {
        if (!quiet)
            MessageBoxA(m_hWnd, loadString(46).c_str(), loadString(16).c_str(), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    m_topCount = static_cast<int>(value);
    return true;
}

bool CPlaytallyDlg::IsLogMode() const { return IsDlgButtonChecked(1109) != BST_CHECKED; }

void CPlaytallyDlg::GetPeriod(TimeValue& since, TimeValue& till) const {
    const TimeValue now = static_cast<TimeValue>(std::time(nullptr));
    if (m_periodKind == 1) {
        till = now;
        since = periodStart(m_lastCombo, now);
        return;
    }
    SYSTEMTIME s = {}, t = {};
    ::SendMessageA(m_since, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&s));
    ::SendMessageA(m_till, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t));
    since = fromSystemTime(s);
    till = fromSystemTime(t);
}

void CPlaytallyDlg::BuildRows(bool showProgress) {
    if (!m_doc) return;
    BuildListParams p;
    GetPeriod(p.since, p.till);
    p.logMode = IsLogMode();
    p.topOn = m_showTop;
    p.topCount = m_topCount;
    p.showProgress = showProgress;
    m_doc->BuildList(p);
}

void CPlaytallyDlg::LoadColumnWidths(std::array<int, kFieldCount>& widths) {
    for (int f = 0; f < kFieldCount; ++f) widths[f] = CTrackListCtrl::DefaultWidth(f);
    const std::string text = m_profile ? m_profile->getString(kSection, "ListWidth", "") : std::string();
    std::size_t from = 0;
    for (int i = 0; i < kFieldCount; ++i) {
        const std::size_t comma = text.find(',', from);
        if (comma == std::string::npos) break;
        const long long v = std::strtoll(text.substr(from, comma - from).c_str(), nullptr, 0);
        // A width the screen cannot hold is as useless as a negative one.
        widths[i] = v < 0 ? 0 : v > 4000 ? CTrackListCtrl::DefaultWidth(i) : static_cast<int>(v);
        from = comma + 1;
    }
}

void CPlaytallyDlg::SaveColumnWidths() {
    std::array<int, kFieldCount> widths{};
    LoadColumnWidths(widths);
    int k = 0;
    const int columns = m_list.IsWindow() ? m_list.ColumnCount() : 0;
    for (int f = 0; f < kFieldCount && k < columns; ++f)
        if (m_shown[f]) widths[f] = static_cast<int>(m_list.SendMessage(LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(k++)));
    std::string text;
    for (int w : widths) text += std::to_string(w) + ",";
    if (m_profile) m_profile->writeString(kSection, "ListWidth", text);
}

void CPlaytallyDlg::Refresh() {
    UpdateControlStates();
    m_list.ReloadList(true, false);
}

void CPlaytallyDlg::SaveState(bool quiet) {
    ValidateTopCount(quiet);
    ReadControls();
    if (m_profile) {
        const char* keys[] = {"TimePeriod", "LastCombo", "ShowTop", "TopCnt"};
        const int values[] = {m_periodKind, m_lastCombo, m_showTop ? 1 : 0, m_topCount};
        for (int i = 0; i < 4; ++i) m_profile->writeInt(kSection, keys[i], values[i]);
        for (int f = 0; f < kFieldCount; ++f) m_profile->writeInt(kSection, kSwitches[f].key, m_checks[f] ? 1 : 0);
        m_profile->writeInt(kSection, "SelectedTab", IsLogMode() ? 1 : 0);
        SYSTEMTIME s = {}, t = {};
        if (::SendMessageA(m_since, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&s)) == GDT_VALID) {
            m_profile->writeInt(kSection, "SYear", s.wYear);
            m_profile->writeInt(kSection, "SMonth", s.wMonth);
            m_profile->writeInt(kSection, "SDay", s.wDay);
        }
        if (::SendMessageA(m_till, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&t)) == GDT_VALID) {
            m_profile->writeInt(kSection, "TYear", t.wYear);
            m_profile->writeInt(kSection, "TMonth", t.wMonth);
            m_profile->writeInt(kSection, "TDay", t.wDay);
        }
        WINDOWPLACEMENT wp = {};
        wp.length = sizeof wp;
        if (GetWindowPlacement(m_hWnd, &wp)) {
            const RECT& r = wp.rcNormalPosition;
            m_profile->writeInt(kSection, "CX", r.right - r.left);
            m_profile->writeInt(kSection, "CY", r.bottom - r.top);
            m_profile->writeInt(kSection, "Top", r.top);
            m_profile->writeInt(kSection, "Left", r.left);
        }
    }
    SaveColumnWidths();
    ShowWindow(SW_HIDE);
    UpdateRecordLinks();
}

void CPlaytallyDlg::ShowHelpText(HelpValue value) {
    const std::string text = HelpValueText(value);
    if (text == m_helpText) return;
    m_helpText = text;
    SetDlgItemText(1104, text);
}

void CPlaytallyDlg::UpdateRecordLinks() {
    const bool selected = SelectedRecordIndex() >= 0;
    for (int id : {1091, 1092, 1093}) ::EnableWindow(::GetDlgItem(m_hWnd, id), selected);
}

int CPlaytallyDlg::SelectedRecordIndex() const {
    if (!m_doc || !m_list.IsWindow()) return -1;
    const int item = static_cast<int>(m_list.SendMessage(LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    return m_list.RecordIndexAt(item);
}

bool CPlaytallyDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam), code = HIWORD(wParam);
    for (int f = 0; f < kFieldCount; ++f)
        if (id == kSwitches[f].id && code == BN_CLICKED) {
            SaveColumnWidths();
            m_shown[f] = IsDlgButtonChecked(id) == BST_CHECKED;
            UpdateControlStates();
            // The rows shown serve again, unless a report's build has taken their place.
            m_list.ReloadList(!m_list.ShowsCurrentRows(), false);
            return true;
        }
    switch (id) {
    case 1012:
    case 1013:
        if (code != BN_CLICKED) return false;
        UpdateControlStates();
        m_list.RefillRows(true, false);
        return true;
    case 1109:
    case 1110:
    case 1019:
        if (code != (id == 1019 ? CBN_SELCHANGE : BN_CLICKED)) return false;
        UpdateControlStates();
        m_list.ReloadList(true, false);
        return true;
    case 1031:
        if (code != BN_CLICKED) return false;
        SaveColumnWidths();
        UpdateControlStates();
        m_list.ReloadList(true, false);
        return true;
    case 1022:
        if (code != EN_CHANGE) return false;
        if (ValidateTopCount()) {
            SaveColumnWidths();
            UpdateControlStates();
            m_list.ReloadList(true, true);
        }
        return true;
    default:
        break;
    }
    // The links and the list's menu act on a click or a menu choice (code 0) only: a link also
    // reports being enabled or disabled (STN_ENABLE, STN_DISABLE), which the record links are
    // whenever the selection changes.
    if (code != 0) return CResizeDialog::OnCommand(wParam, lParam);
    switch (id) {
    case 1097: theApp().config(); return true;
    case 1100: theApp().publishReport(); return true;
    case 1101: theApp().openWebsite(); return true;
    case 1098: theApp().showAbout(); return true;
    case 1091: RemoveCommand(); return true;
    case 1092: EditCommand(); return true;
    case 1093: PlayCommand(); return true;
    case 32777: PathCommand(); return true;
    default:
        break;
    }
    return CResizeDialog::OnCommand(wParam, lParam);
}

bool CPlaytallyDlg::PreTranslateMessage(MSG* message) {
    // Only keys go to the dialog manager. A mouse message it would dispatch at once, from inside
    // whatever loop retrieved it, and a loop that waits for the button's release (the list
    // view's own, after a right click) would never see the release and never end.
    if (message->message >= WM_MOUSEFIRST && message->message <= WM_MOUSELAST) return false;
    return CResizeDialog::PreTranslateMessage(message);
}

void CPlaytallyDlg::OnTimer(UINT_PTR id) {
    if (id != kHelpTimer) return;
    POINT p;
    RECT r;
    if (GetCursorPos(&p) && ::GetWindowRect(m_hWnd, &r) && !PtInRect(&r, p)) ShowHelpText(0);
}

bool CPlaytallyDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_SIZING) {
        auto* r = reinterpret_cast<RECT*>(lParam);
        if (r->right - r->left < kMinWidth) r->right = r->left + kMinWidth;
        if (r->bottom - r->top < kMinHeight) r->bottom = r->top + kMinHeight;
        ShowHelpText(0);
        result = TRUE;
        return true;
    }
    if (message == WM_GETMINMAXINFO) {
        // The window's own minimum, whatever size its template has.
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = {kMinWidth, kMinHeight};
        result = 0;
        return true;
    }
    if (message == WM_DRAWITEM && wParam == 1010 && lParam) {
        m_list.DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        result = TRUE;
        return true;
    }
    if (message == WM_CAPTURECHANGED) m_dragging = false;  // another window took the mouse
    if ((message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN || message == WM_LBUTTONUP) &&
        CornerDrag(message, lParam)) {
        result = 0;
        return true;
    }
    if (message == WM_SETCURSOR && reinterpret_cast<HWND>(wParam) == m_hWnd && LOWORD(lParam) == HTCLIENT) {
        // The cursor is set here rather than on the dialog class, which every dialog shares.
        ::SetCursor(::LoadCursor(nullptr, m_sizeCursor ? IDC_SIZENWSE : IDC_ARROW));
        result = TRUE;
        return true;
    }
    return CResizeDialog::OnMessage(message, wParam, lParam, result);
}

void CPlaytallyDlg::OnSizeChanged(UINT, int w, int h) { Layout(w, h); }

bool CPlaytallyDlg::CornerDrag(UINT message, LPARAM lParam) {
    POINT p = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    RECT c = {};
    ::GetClientRect(m_hWnd, &c);
    // The grip: the 10 x 10 corner square grown by 15 pixels on every side.
    const bool inGrip = p.x >= c.right - 25 && p.x < c.right + 15 && p.y >= c.bottom - 25 && p.y < c.bottom + 15;
    ::ClientToScreen(m_hWnd, &p);
    switch (message) {
    case WM_MOUSEMOVE: {
        ShowHelpText(0);
        m_sizeCursor = inGrip || m_dragging;
        ::SetCursor(::LoadCursor(nullptr, m_sizeCursor ? IDC_SIZENWSE : IDC_ARROW));
        if (!m_dragging) return false;
        RECT w = {};
        ::GetWindowRect(m_hWnd, &w);
        const int width = w.right - w.left + p.x - m_dragFrom.x, height = w.bottom - w.top + p.y - m_dragFrom.y;
        if (width >= kMinWidth && height >= kMinHeight)
            ::SetWindowPos(m_hWnd, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        m_dragFrom = p;
        return true;
    }
    case WM_LBUTTONDOWN:
        if (!inGrip) return false;
        m_dragging = true;
        m_dragFrom = p;
        ::SetCapture(m_hWnd);
        return true;
    default:  // WM_LBUTTONUP
        if (!m_dragging) return false;
        m_dragging = false;
        ::ReleaseCapture();
        return true;
    }
}

void CPlaytallyDlg::Layout(int w, int h) {
    HWND refresh = ::GetDlgItem(m_hWnd, 1), close = ::GetDlgItem(m_hWnd, 2), list = ::GetDlgItem(m_hWnd, 1010);
    if (!refresh || !close || !list) return;
    auto rectOf = [&](HWND c) {
        RECT r = {};
        ::GetWindowRect(c, &r);
        ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    auto place = [&](HWND c, int x, int y, int cx, int cy) {
        if (c) ::SetWindowPos(c, nullptr, x, y, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
    };
    auto rightAt = [&](int id, int right) -> int {
        HWND c = ::GetDlgItem(m_hWnd, id);
        if (!c) return right;
        RECT r = rectOf(c);
        place(c, right - (r.right - r.left), r.top, r.right - r.left, r.bottom - r.top);
        return right - int(r.right - r.left);
    };
    rightAt(1098, w - 3);
    const int play = rightAt(1093, w - 1);
    const int edit = rightAt(1092, play - 1);
    rightAt(1091, edit - 3);
    for (int id : {1099, 1102, 1103})
        if (HWND c = ::GetDlgItem(m_hWnd, id)) {
            RECT r = rectOf(c);
            place(c, r.left, r.top, w - 3 - r.left, r.bottom - r.top);
        }
    const RECT b = rectOf(refresh);
    const int bh = b.bottom - b.top, bw = b.right - b.left;
    RECT help = {};
    if (HWND c = ::GetDlgItem(m_hWnd, 1104)) {
        RECT r = rectOf(c);
        const int hh = r.bottom - r.top;
        help = {r.left, h - bh - 9 - hh, w - 4, h - bh - 9};
        place(c, help.left, help.top, help.right - help.left, hh);
    }
    const RECT l = rectOf(list);
    place(list, l.left, l.top, w - 4 - l.left, help.top - 3 - l.top);
    const RECT cr = rectOf(close);
    place(close, w / 2 + 3, h - 3 - (cr.bottom - cr.top), cr.right - cr.left, cr.bottom - cr.top);
    place(refresh, w / 2 - 3 - bw, h - 3 - (cr.bottom - cr.top), bw, bh);
    ::InvalidateRect(refresh, nullptr, TRUE);
    ::InvalidateRect(close, nullptr, TRUE);
}
