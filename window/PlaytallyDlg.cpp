#include "window/PlaytallyDlg.h"

#include <commctrl.h>

#include <algorithm>

#include <cstdio>
#include <ctime>

#include "database/Doc.h"
#include "core/PeriodStart.h"
#include "core/Profile.h"
#include "core/Settings.h"
#include "core/SettingsTable.h"
#include "framework/Module.h"
#include "resources/StringTable.h"
#include "resources/resource.h"
#include "ui/HelpControls.h"
#include "ui/MyStatic.h"

namespace {

constexpr UINT_PTR kHelpTimer = 1;
constexpr int kMinWidth = kWindowMinWidth, kMinHeight = kWindowMinHeight;

// The check box that switches a column, as the state's table names it.
int switchOf(int column) { return lineOf(windowSettingsTable(), kColumnSwitches[column])->control.id; }

// What the state's defaults are made of: the time and the screen.
SettingsDefaults windowDefaults() {
    return SettingsDefaults{"", static_cast<TimeValue>(std::time(nullptr)), GetSystemMetrics(SM_CXSCREEN),
                            GetSystemMetrics(SM_CYSCREEN)};
}

// "Rank by:", in the order of the box: 0 hits, 1 time heard.
const int kRankChoices[] = {IDS_RANK_BY_HITS, IDS_RANK_BY_HEARD};

// The help-aware controls: the wrapper each gets and the help text it shows, in the order the
// wrappers are made. The date pickers come last: they replace their placeholders later.
enum class Wrap { Link, Button, Combo, Edit, HelpArea, Picker };
struct Helped {
    int id;
    Wrap wrap;
    int help;
};
const Helped kHelped[] = {
    {IDC_PT_PUBLISH, Wrap::Link, IDS_HELP_PUBLISH},
    {IDC_PT_ABOUT, Wrap::Link, IDS_HELP_ABOUT},
    {IDC_PT_WEBSITE, Wrap::Link, IDS_HELP_WEBSITE},
    {IDC_PT_REMOVE, Wrap::Link, IDS_HELP_REMOVE},
    {IDC_PT_EDIT, Wrap::Link, IDS_HELP_EDIT},
    {IDC_PT_PLAY, Wrap::Link, IDS_HELP_PLAY},
    {IDC_PT_SETTINGS, Wrap::Link, IDS_HELP_SETTINGS},
    {IDC_PT_SHOW_NUMBER, Wrap::Button, IDS_HELP_SHOW_NUMBER},
    {IDC_PT_SHOW_HITS, Wrap::Button, IDS_HELP_SHOW_HITS},
    {IDC_PT_SHOW_LENGTH, Wrap::Button, IDS_HELP_SHOW_LENGTH},
    {IDC_PT_SHOW_PLAYED, Wrap::Button, IDS_HELP_SHOW_PLAYED},
    {IDC_PT_SHOW_DATE, Wrap::Button, IDS_HELP_SHOW_DATE},
    {IDC_PT_SHOW_ARTIST, Wrap::Button, IDS_HELP_SHOW_ARTIST},
    {IDC_PT_SHOW_TITLE, Wrap::Button, IDS_HELP_SHOW_TITLE},
    {IDC_PT_SHOW_ALBUM, Wrap::Button, IDS_HELP_SHOW_ALBUM},
    {IDC_PT_SHOW_YEAR, Wrap::Button, IDS_HELP_SHOW_YEAR},
    {IDC_PT_SHOW_GENRE, Wrap::Button, IDS_HELP_SHOW_GENRE},
    {IDC_PT_SHOW_COMMENT, Wrap::Button, IDS_HELP_SHOW_COMMENT},
    {IDC_PT_SHOW_FIRST, Wrap::Button, IDS_HELP_SHOW_FIRST},
    {IDC_PT_SHOW_LAST, Wrap::Button, IDS_HELP_SHOW_LAST},
    {IDC_PT_SHOW_HEARD, Wrap::Button, IDS_HELP_SHOW_HEARD},
    {IDC_PT_RANK_BY, Wrap::Combo, IDS_HELP_RANK_BY},
    {IDC_PT_SHOW_TOP, Wrap::Button, IDS_HELP_SHOW_TOP},
    {IDOK, Wrap::Button, IDS_HELP_REFRESH},
    {IDCANCEL, Wrap::Button, IDS_HELP_CLOSE},
    {IDC_PT_PERIOD, Wrap::Button, IDS_HELP_PERIOD},
    {IDC_PT_LAST, Wrap::Button, IDS_HELP_LAST},
    {IDC_PT_LAST_COMBO, Wrap::Combo, IDS_HELP_LAST_COMBO},
    {IDC_PT_HELP, Wrap::HelpArea, IDS_HELP_HELP_AREA},
    {IDC_PT_TOP_COUNT, Wrap::Edit, IDS_HELP_TOP_COUNT},
    {IDC_PT_PLAYTALLY, Wrap::Button, IDS_HELP_PLAYTALLY},
    {IDC_PT_LOG, Wrap::Button, IDS_HELP_LOG},
    {IDC_PT_SINCE, Wrap::Picker, IDS_HELP_SINCE},
    {IDC_PT_TILL, Wrap::Picker, IDS_HELP_TILL},
};

// The "Last:" choices in their order in the box, which is the period rule's index.
const int kLastChoices[] = {IDS_PERIOD_BEGINNING, IDS_PERIOD_DAY, IDS_PERIOD_WEEK, IDS_PERIOD_MONTH, IDS_PERIOD_YEAR};

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

CPlaytallyDlg::CPlaytallyDlg(CDoc* doc, IProfile& profile, IPlaytallyWindowHost* host)
    : CResizeDialog(IDD_PLAYTALLY, nullptr, 0), m_doc(doc), m_profile(profile), m_host(host),
      m_stored(readSettings(profile, windowSettingsTable(), windowDefaults())) {
    m_periodKind = m_stored.TimePeriod;
    m_lastCombo = m_stored.LastCombo;
    for (int f = 0; f < kColumnCount; ++f) m_checks[f] = m_stored.*kColumnSwitches[f];
    m_showTop = m_stored.ShowTop;
    m_rankBy = m_stored.RankBy;
    m_topCount = m_stored.TopCnt;
    m_shown = m_checks;
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
}

BOOL CPlaytallyDlg::OnInitDialog() {
    SetWindowText(loadString(IDS_PT_CAPTION));
    CResizeDialog::OnInitDialog();
    m_resizer.SetMinTrackSize(SIZE{kMinWidth, kMinHeight});
    m_list.SubclassList(::GetDlgItem(m_hWnd, IDC_PT_LIST));
    m_list.m_helpId = IDS_HELP_LIST;
    m_list.SetHighlightWholeRow();
    for (const Helped& h : kHelped) {
        switch (h.wrap) {
        case Wrap::Link: AttachHelp<CMyStatic>(h.id, h.help).m_helpSink = this; break;
        case Wrap::Button: AttachHelp<CHelpButton>(h.id, h.help); break;
        case Wrap::Combo: AttachHelp<CHelpComboBox>(h.id, h.help); break;
        case Wrap::Edit: AttachHelp<CHelpEdit>(h.id, h.help); break;
        case Wrap::HelpArea: {
            CMyStatic& area = AttachHelp<CMyStatic>(h.id, h.help);
            area.m_hoverOff = TRUE;
            area.m_helpSink = this;
            break;
        }
        case Wrap::Picker: break;  // made below
        }
    }
    std::vector<unsigned char> kinds;
    for (int f = 0; f < kColumnCount; ++f)
        if (m_shown[f]) kinds.push_back(CTrackListCtrl::KindOf(f));
    if (m_list.SetSortKinds(kinds.data(), static_cast<int>(kinds.size()))) m_list.m_sortable = true;
    HICON icon = static_cast<HICON>(LoadImageA(moduleInstance(),
                                               MAKEINTRESOURCEA(IDI_PLAYTALLY), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE | LR_SHARED));
    if (icon) {
        SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
    ::SetTimer(m_hWnd, kHelpTimer, 50, nullptr);
    for (const Helped& h : kHelped) {
        if (h.wrap != Wrap::Picker) continue;
        const int id = h.id;
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
        (id == IDC_PT_SINCE ? m_since : m_till) = picker;
        AttachHelp<CHelpDateTimeCtrl>(id, h.help);
    }
    CComboBox combo(GetDlgItem(IDC_PT_LAST_COMBO));
    for (int s : kLastChoices) combo.AddString(loadString(s));
    CComboBox rankBy(GetDlgItem(IDC_PT_RANK_BY));
    for (int s : kRankChoices) rankBy.AddString(loadString(s));
    CheckDlgButton(m_stored.SelectedTab ? IDC_PT_LOG : IDC_PT_PLAYTALLY, BST_CHECKED);
    RestoreDates();
    RestoreWindowRect();
    WriteControls();
    UpdateControlStates();
    RECT c;
    ::GetClientRect(m_hWnd, &c);
    Layout(c.right, c.bottom);
    SetDlgItemText(IDC_PT_TOP_COUNT, std::to_string(m_topCount));  // its change notification fills the list
    return TRUE;
}

void CPlaytallyDlg::RestoreDates() {
    const WindowSettings& s = m_stored;
    SYSTEMTIME since = {}, till = {};
    since.wYear = WORD(s.SYear); since.wMonth = WORD(s.SMonth); since.wDay = WORD(s.SDay);
    till.wYear = WORD(s.TYear); till.wMonth = WORD(s.TMonth); till.wDay = WORD(s.TDay);
    // A date the calendar lacks (2025-02-31) is refused by the picker: both then show now.
    FILETIME probe;
    if (!SystemTimeToFileTime(&since, &probe) || !SystemTimeToFileTime(&till, &probe) ||
        !CDateTimeCtrl(m_since).SetTime(since) || !CDateTimeCtrl(m_till).SetTime(till)) {
        SYSTEMTIME current;
        GetLocalTime(&current);
        CDateTimeCtrl(m_since).SetTime(current);
        CDateTimeCtrl(m_till).SetTime(current);
    }
}

void CPlaytallyDlg::RestoreWindowRect() {
    const int W = GetSystemMetrics(SM_CXSCREEN), H = GetSystemMetrics(SM_CYSCREEN);
    int cx = m_stored.CX, cy = m_stored.CY;
    // Sizes that make no sense (0, beyond the screen) give the default size.
    if (cx < kMinWidth || cx > W) cx = std::min(kMinWidth, W);
    if (cy < kMinHeight || cy > H) cy = std::min(kMinHeight, H);
    int left = std::max(0, m_stored.Left), top = std::max(0, m_stored.Top);
    if (left > W - cx) left = W - cx;  // never left + cx: a stored left near the int's end would overflow
    if (top > H - cy) top = H - cy;
    ::MoveWindow(m_hWnd, std::max(0, left), std::max(0, top), cx, cy, TRUE);
}

void CPlaytallyDlg::ReadControls() {
    for (int f = 0; f < kColumnCount; ++f) m_checks[f] = IsDlgButtonChecked(switchOf(f)) == BST_CHECKED;
    m_showTop = IsDlgButtonChecked(IDC_PT_SHOW_TOP) == BST_CHECKED;
    m_periodKind = IsDlgButtonChecked(IDC_PT_PERIOD) == BST_CHECKED ? 0 : 1;
    m_lastCombo = CComboBox(GetDlgItem(IDC_PT_LAST_COMBO)).GetCurSel();
    m_rankBy = CComboBox(GetDlgItem(IDC_PT_RANK_BY)).GetCurSel() == 1 ? 1 : 0;
}

void CPlaytallyDlg::WriteControls() {
    for (int f = 0; f < kColumnCount; ++f) CheckDlgButton(switchOf(f), m_checks[f] ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_PT_SHOW_TOP, m_showTop ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_PT_PERIOD, m_periodKind == 0 ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(IDC_PT_LAST, m_periodKind == 1 ? BST_CHECKED : BST_UNCHECKED);
    CComboBox(GetDlgItem(IDC_PT_LAST_COMBO)).SetCurSel(m_lastCombo);
    CComboBox(GetDlgItem(IDC_PT_RANK_BY)).SetCurSel(m_rankBy);
    SetDlgItemText(IDC_PT_HELP, m_helpText);
}

void CPlaytallyDlg::UpdateControlStates() {
    ReadControls();
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_PT_LAST_COMBO), m_periodKind == 1);
    ::EnableWindow(m_since, m_periodKind == 0);
    ::EnableWindow(m_till, m_periodKind == 0);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_PT_TOP_COUNT), m_showTop);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_PT_RANK_BY), !IsLogMode());  // the log is by time
}

bool CPlaytallyDlg::ValidateTopCount(bool quiet) {
    HWND edit = ::GetDlgItem(m_hWnd, IDC_PT_TOP_COUNT);
    if (!edit) return false;
    const std::string text = GetDlgItemText(IDC_PT_TOP_COUNT);
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
            MessageBoxA(m_hWnd, loadString(IDS_PT_TOP_COUNT_INVALID).c_str(), loadString(IDS_PT_CAPTION).c_str(),
                        MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    m_topCount = static_cast<int>(value);
    return true;
}

bool CPlaytallyDlg::IsLogMode() const { return IsDlgButtonChecked(IDC_PT_PLAYTALLY) != BST_CHECKED; }

void CPlaytallyDlg::GetPeriod(TimeValue& since, TimeValue& till) const {
    const TimeValue now = static_cast<TimeValue>(std::time(nullptr));
    if (m_periodKind == 1) {
        till = now;
        since = periodStart(m_lastCombo, now);
        return;
    }
    SYSTEMTIME s = {}, t = {};
    CDateTimeCtrl(m_since).GetTime(s);
    CDateTimeCtrl(m_till).GetTime(t);
    since = fromSystemTime(s);
    till = fromSystemTime(t);
}

BuildListParams CPlaytallyDlg::ListBuildParams(bool showProgress) const {
    BuildListParams p;
    GetPeriod(p.since, p.till);
    p.logMode = IsLogMode();
    p.topOn = m_showTop;
    p.topCount = m_topCount;
    p.showProgress = showProgress;
    p.rankByHeard = m_rankBy == 1;
    p.showKeptOut = true;  // the log shows every stored play, the kept-out ones marked
    return p;
}

RowArray CPlaytallyDlg::BuildRows(bool showProgress) {
    if (!m_doc) return {};
    return m_doc->BuildList(ListBuildParams(showProgress));
}

// One text keeps the widths of the eleven field columns in its old form; the First, Last and
// Heard columns keep theirs in a second.
const struct {
    std::string WindowSettings::*text;
    int first, end;
} kWidthTexts[] = {{&WindowSettings::ListWidth, 0, kFieldCount}, {&WindowSettings::TimesWidth, kFieldCount, kColumnCount}};

void CPlaytallyDlg::LoadColumnWidths(std::array<int, kColumnCount>& widths) {
    for (int f = 0; f < kColumnCount; ++f) widths[f] = CTrackListCtrl::DefaultWidth(f);
    WindowSettings read;
    for (const auto& stored : kWidthTexts) {
        readSetting(m_profile, windowSettingsTable(), stored.text, SettingsDefaults{}, read);
        const std::string& text = read.*stored.text;
        std::size_t from = 0;
        for (int i = stored.first; i < stored.end; ++i) {
            const std::size_t comma = text.find(',', from);
            if (comma == std::string::npos) break;
            const long long v = std::strtoll(text.substr(from, comma - from).c_str(), nullptr, 0);
            // A width the screen cannot hold is as useless as a negative one.
            widths[i] = v < 0 ? 0 : v > 4000 ? CTrackListCtrl::DefaultWidth(i) : static_cast<int>(v);
            from = comma + 1;
        }
    }
}

void CPlaytallyDlg::SaveColumnWidths() {
    std::array<int, kColumnCount> widths{};
    LoadColumnWidths(widths);
    int k = 0;
    const int columns = m_list.IsWindow() ? m_list.ColumnCount() : 0;
    for (int f = 0; f < kColumnCount && k < columns; ++f)
        if (m_shown[f]) widths[f] = m_list.GetColumnWidth(k++);
    WindowSettings written;
    for (const auto& stored : kWidthTexts) {
        std::string& text = written.*stored.text;
        for (int i = stored.first; i < stored.end; ++i) text += std::to_string(widths[i]) + ",";
        writeSetting(m_profile, windowSettingsTable(), stored.text, written);
    }
}

void CPlaytallyDlg::Refresh() {
    UpdateControlStates();
    m_list.ReloadList(true, false);
}

void CPlaytallyDlg::SaveState(bool quiet) {
    ValidateTopCount(quiet);
    ReadControls();
    WindowSettings state = m_stored;
    state.TimePeriod = m_periodKind;
    state.LastCombo = m_lastCombo;
    state.ShowTop = m_showTop;
    state.TopCnt = m_topCount;
    state.RankBy = m_rankBy;
    for (int f = 0; f < kColumnCount; ++f) state.*kColumnSwitches[f] = m_checks[f];
    state.SelectedTab = IsLogMode();
    SYSTEMTIME s = {}, t = {};
    const bool sinceKnown = CDateTimeCtrl(m_since).GetTime(s) == GDT_VALID;
    const bool tillKnown = CDateTimeCtrl(m_till).GetTime(t) == GDT_VALID;
    state.SYear = s.wYear, state.SMonth = s.wMonth, state.SDay = s.wDay;
    state.TYear = t.wYear, state.TMonth = t.wMonth, state.TDay = t.wDay;
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    const bool placed = GetWindowPlacement(m_hWnd, &wp) != FALSE;
    const RECT& r = wp.rcNormalPosition;
    state.CX = r.right - r.left, state.CY = r.bottom - r.top, state.Top = r.top, state.Left = r.left;
    // What is not known is not written; the widths follow, from the list itself.
    writeSettingsWhere(m_profile, windowSettingsTable(), state, [&](const SettingLine<WindowSettings>& line) {
        switch (line.control.kind) {
        case ControlKind::DatePart: return line.control.id == IDC_PT_SINCE ? sinceKnown : tillKnown;
        case ControlKind::Place: return placed;
        case ControlKind::ListColumns: return false;
        default: return true;
        }
    });
    SaveColumnWidths();
    ShowWindow(SW_HIDE);
    UpdateRecordLinks();
}

void CPlaytallyDlg::ShowHelpText(HelpValue value) {
    const std::string text = HelpValueText(value);
    if (text == m_helpText) return;
    m_helpText = text;
    SetDlgItemText(IDC_PT_HELP, text);
}

void CPlaytallyDlg::UpdateRecordLinks() {
    const bool selected = SelectedRecordIndex() >= 0;
    for (int id : {IDC_PT_REMOVE, IDC_PT_EDIT, IDC_PT_PLAY}) ::EnableWindow(::GetDlgItem(m_hWnd, id), selected);
}

int CPlaytallyDlg::SelectedRecordIndex() const {
    if (!m_doc || !m_list.IsWindow()) return -1;
    const int item = m_list.GetNextItem(-1, LVNI_SELECTED);
    return m_list.RecordIndexAt(item);
}

bool CPlaytallyDlg::OnButtonClicked(int id) {
    // What a click (or the list menu's choice) does. A link also reports being enabled or disabled
    // (STN_ENABLE, STN_DISABLE), which the record links are whenever the selection changes: those
    // notifications never come here.
    struct Command {
        int id;
        void (CPlaytallyDlg::*run)();
    };
    static const Command kClicks[] = {
        {IDC_PT_PERIOD, &CPlaytallyDlg::OnPeriodKind},   {IDC_PT_LAST, &CPlaytallyDlg::OnPeriodKind},
        {IDC_PT_PLAYTALLY, &CPlaytallyDlg::OnModeOrSpan}, {IDC_PT_LOG, &CPlaytallyDlg::OnModeOrSpan},
        {IDC_PT_SHOW_TOP, &CPlaytallyDlg::OnShowTop},     {IDC_PT_SETTINGS, &CPlaytallyDlg::OnSettings},
        {IDC_PT_PUBLISH, &CPlaytallyDlg::OnPublish},      {IDC_PT_WEBSITE, &CPlaytallyDlg::OnWebsite},
        {IDC_PT_ABOUT, &CPlaytallyDlg::OnAbout},          {IDC_PT_REMOVE, &CPlaytallyDlg::RemoveCommand},
        {IDC_PT_EDIT, &CPlaytallyDlg::EditCommand},       {IDC_PT_PLAY, &CPlaytallyDlg::PlayCommand},
        {ID_LIST_PATH, &CPlaytallyDlg::PathCommand},
    };
    for (int f = 0; f < kColumnCount; ++f)
        if (id == switchOf(f)) {
            OnColumnSwitch(f);
            return true;
        }
    for (const Command& command : kClicks)
        if (id == command.id) {
            (this->*command.run)();
            return true;
        }
    return CResizeDialog::OnButtonClicked(id);
}

bool CPlaytallyDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    // The other notifications that change the list: a span chosen, a top count typed.
    const int id = LOWORD(wParam), code = HIWORD(wParam);
    if ((id == IDC_PT_LAST_COMBO || id == IDC_PT_RANK_BY) && code == CBN_SELCHANGE) {
        OnModeOrSpan();
        return true;
    }
    if (id == IDC_PT_TOP_COUNT && code == EN_CHANGE) {
        OnTopCountChange();
        return true;
    }
    return CResizeDialog::OnCommand(wParam, lParam);
}

void CPlaytallyDlg::OnColumnSwitch(int field) {
    SaveColumnWidths();
    m_shown[field] = IsDlgButtonChecked(switchOf(field)) == BST_CHECKED;
    UpdateControlStates();
    m_list.ReloadList(false, false);  // the rows shown serve again, only the columns change
}

void CPlaytallyDlg::OnPeriodKind() {
    UpdateControlStates();
    m_list.RefillRows(true, false);
}

void CPlaytallyDlg::OnModeOrSpan() {
    UpdateControlStates();
    m_list.ReloadList(true, false);
}

void CPlaytallyDlg::OnShowTop() {
    SaveColumnWidths();
    UpdateControlStates();
    m_list.ReloadList(true, false);
}

void CPlaytallyDlg::OnTopCountChange() {
    if (!ValidateTopCount()) return;
    SaveColumnWidths();
    UpdateControlStates();
    m_list.ReloadList(true, true);
}

void CPlaytallyDlg::OnSettings() {
    if (m_host) m_host->config();
}

void CPlaytallyDlg::OnPublish() {
    if (m_host) m_host->publishReport();
}

void CPlaytallyDlg::OnWebsite() {
    if (m_host) m_host->openWebsite();
}

void CPlaytallyDlg::OnAbout() {
    if (m_host) m_host->showAbout();
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
    if (message == WM_DRAWITEM && wParam == IDC_PT_LIST && lParam) {
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

// The resizer gives this window its grip, its minimum size and clip-children drawing; the layout
// and the corner drag stay the window's own, because the resizer's rules cannot give them. Rules
// move a control by the change since its registration, from where the template put it; this
// window's controls sit at fixed margins from the client edges the template does not have (its
// first layout moves them), and "Refresh" and "Close" sit at half the width rounded down, which
// rules accumulating halves of each change miss by a pixel at every odd width. The corner drag
// refuses a size below the minimum where the border holds the window at it.
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
    HWND refresh = ::GetDlgItem(m_hWnd, IDOK), close = ::GetDlgItem(m_hWnd, IDCANCEL),
         list = ::GetDlgItem(m_hWnd, IDC_PT_LIST);
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
    rightAt(IDC_PT_ABOUT, w - 3);
    const int play = rightAt(IDC_PT_PLAY, w - 1);
    const int edit = rightAt(IDC_PT_EDIT, play - 1);
    rightAt(IDC_PT_REMOVE, edit - 3);
    for (int id : {IDC_PT_LINE_TOP, IDC_PT_LINE_PERIOD, IDC_PT_LINE_COLUMNS})
        if (HWND c = ::GetDlgItem(m_hWnd, id)) {
            RECT r = rectOf(c);
            place(c, r.left, r.top, w - 3 - r.left, r.bottom - r.top);
        }
    const RECT b = rectOf(refresh);
    const int bh = b.bottom - b.top, bw = b.right - b.left;
    RECT help = {};
    if (HWND c = ::GetDlgItem(m_hWnd, IDC_PT_HELP)) {
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
