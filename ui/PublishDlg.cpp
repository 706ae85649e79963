#include "ui/PublishDlg.h"

#include "framework/Module.h"
#include "core/AppContext.h"
#include "core/Clock.h"
#include "core/Profile.h"
#include "plugin/win/BrowseForFile.h"
#include "resources/StringTable.h"
#include "resources/resource.h"
#include "ui/SettingsPageControls.h"
#include "ui/HtmlEditDlg.h"
#include "ui/SettingsSheet.h"

namespace {

const SettingsControl kControls[] = {
    {IDC_PUB_FILE, EN_CHANGE, kChangeModified, 52},
    {IDC_PUB_FILE_BROWSE, BN_CLICKED, kChangeNothing, 53},
    {IDC_PUB_AUTOPUBLISH, BN_CLICKED, kChangeRefresh | kChangeModified, 54},
    {IDC_PUB_TIME, 0, kChangeNothing, 56},
    {IDC_PUB_EVERY, CBN_SELCHANGE, kChangeRefresh | kChangeModified, 55},
    {IDC_PUB_BEFORE, EN_CHANGE, kChangeModified, 57},
    {IDC_PUB_BEFORE_BROWSE, BN_CLICKED, kChangeNothing, 58},
    {IDC_PUB_BEFORE_HIDE, BN_CLICKED, kChangeModified, 59},
    {IDC_PUB_BEFORE_WAIT, BN_CLICKED, kChangeModified, 60},
    {IDC_PUB_AFTER, EN_CHANGE, kChangeModified, 61},
    {IDC_PUB_AFTER_BROWSE, BN_CLICKED, kChangeNothing, 62},
    {IDC_PUB_AFTER_HIDE, BN_CLICKED, kChangeModified, 63},
    {IDC_PUB_AFTER_WAIT, BN_CLICKED, kChangeModified, 64},
    {IDC_PUB_LAST, CBN_SELCHANGE, kChangeModified, 65},
    {IDC_PUB_TOP, BN_CLICKED, kChangeRefresh | kChangeModified, 66},
    {IDC_PUB_TOPCOUNT, EN_CHANGE, kChangeModified, 67},
    {IDC_PUB_LOG, BN_CLICKED, kChangeRefresh | kChangeModified, 68},
    {IDC_PUB_HEADER, EN_CHANGE, kChangeModified, 69},
    {IDC_PUB_HEADER_EDIT, BN_CLICKED, kChangeNothing, 70},
    {IDC_PUB_ITEM, EN_CHANGE, kChangeModified, 71},
    {IDC_PUB_ITEM_EDIT, BN_CLICKED, kChangeNothing, 72},
    {IDC_PUB_FOOTER, EN_CHANGE, kChangeModified, 73},
    {IDC_PUB_FOOTER_EDIT, BN_CLICKED, kChangeNothing, 74},
    {IDC_PUB_OPEN, BN_CLICKED, kChangeNothing, 75},
    {IDC_PUB_PUBLISH_NOW, BN_CLICKED, kChangeNothing, 76},
};

// The three browse buttons: the title of the open-file dialog and the value the path goes to.
struct BrowseButton {
    int id;
    int title;
    std::string CPublishDlg::Values::*target;
};
const BrowseButton kBrowseButtons[] = {
    {IDC_PUB_FILE_BROWSE, 1011, &CPublishDlg::Values::PublishFile},
    {IDC_PUB_BEFORE_BROWSE, 1012, &CPublishDlg::Values::RunBefore},
    {IDC_PUB_AFTER_BROWSE, 1013, &CPublishDlg::Values::RunAfter},
};

// Strings of the two lists: "Every" (hour to year) and "Last" (from the beginning to a year).
const int kEveryStrings[] = {19, 20, 21, 22, 23};
const int kLastStrings[] = {6, 2, 3, 4, 5};

constexpr DWORD kPickerStyle = WS_CHILD | WS_VISIBLE | DTS_TIMEFORMAT;

// Stored templates break lines with "\n"; an edit control wants CR LF. Every "\n" gets a CR in
// front and every CR LF loses it again, so that any text, CRs of its own included, comes back
// as it went in.
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

// A template in its edit. Putting: the text with CR LF line breaks, and what the edit then holds
// is remembered. Taking: an edit whose text is still that one leaves the template untouched.
void exchangeTemplate(CDataExchange& dx, int id, std::string& value, std::string& shown) {
    CWnd edit(::GetDlgItem(dx.dialog().GetSafeHwnd(), id));
    if (!dx.saving()) {
        edit.SetWindowText(toControlText(value));
        shown = edit.GetWindowText();
        return;
    }
    std::string text = edit.GetWindowText();
    if (text == shown) return;
    value = fromControlText(text);
    shown = std::move(text);
}

int clampChoice(int index, int fallback) { return index >= 0 && index < 5 ? index : fallback; }

}  // namespace

int CPublishDlg::winStates(const Values& v) {
    return (v.afterHide ? 1 : 0) | (v.afterWait ? 2 : 0) | (v.beforeHide ? 4 : 0) | (v.beforeWait ? 8 : 0);
}

void CPublishDlg::splitWinStates(int states, Values& v) {
    v.afterHide = (states & 1) != 0;
    v.afterWait = (states & 2) != 0;
    v.beforeHide = (states & 4) != 0;
    v.beforeWait = (states & 8) != 0;
}

CPublishDlg::CPublishDlg(ISettingsHost& host, CSettingsSheet& sheet)
    : CPropertyPage(IDD_PUBLISH), m_host(host), m_sheet(sheet) {}

void CPublishDlg::DoDataExchange(CDataExchange& dx) {
    dx.Check(IDC_PUB_AUTOPUBLISH, m_values.AutoPublish);
    dx.CBIndex(IDC_PUB_EVERY, m_values.Every);
    exchangeTemplate(dx, IDC_PUB_FOOTER, m_values.Footer, m_shownFooter);
    exchangeTemplate(dx, IDC_PUB_HEADER, m_values.Header, m_shownHeader);
    exchangeTemplate(dx, IDC_PUB_ITEM, m_values.Item, m_shownItem);
    dx.Text(IDC_PUB_FILE, m_values.PublishFile);
    dx.Text(IDC_PUB_AFTER, m_values.RunAfter);
    dx.Text(IDC_PUB_BEFORE, m_values.RunBefore);
    dx.Check(IDC_PUB_TOP, m_values.IsTop);
    dx.Text(IDC_PUB_TOPCOUNT, m_values.TopCount);
    dx.CBIndex(IDC_PUB_LAST, m_values.PublishLast);
    dx.Check(IDC_PUB_LOG, m_values.Log);
    dx.Check(IDC_PUB_OPEN, m_values.OpenPublishedFile);
    dx.Check(IDC_PUB_AFTER_WAIT, m_values.afterWait);
    dx.Check(IDC_PUB_BEFORE_HIDE, m_values.beforeHide);
    dx.Check(IDC_PUB_AFTER_HIDE, m_values.afterHide);
    dx.Check(IDC_PUB_BEFORE_WAIT, m_values.beforeWait);
}

void CPublishDlg::load() {
    AppContext& context = m_host.context();
    m_snapshot = loadPublishSettings(*context.profile, context.clock ? context.clock->now() : 0);
    copyFrom(m_snapshot);
}

void CPublishDlg::copyFrom(const PublishSettings& s) {
    m_values.AutoPublish = s.AutoPublish;
    m_values.Every = s.Every;
    m_values.Footer = s.Footer;
    m_values.Header = s.Header;
    m_values.Item = s.Item;
    m_values.PublishFile = s.PublishFile;
    m_values.RunAfter = s.RunAfter;
    m_values.RunBefore = s.RunBefore;
    m_values.IsTop = s.IsTop;
    m_values.TopCount = s.TopCount;
    m_values.PublishLast = s.PublishLast;
    m_values.Log = s.Log;
    m_values.OpenPublishedFile = s.OpenPublishedFile;
    splitWinStates(s.WinStates, m_values);
}

BOOL CPublishDlg::OnInitDialog() {
    // Templates may be far longer than an edit's default limit.
    for (int id : {IDC_PUB_HEADER, IDC_PUB_ITEM, IDC_PUB_FOOTER}) CEdit(GetDlgItem(id)).LimitText(0);

    CWnd placeholder = GetDlgItem(IDC_PUB_TIME);
    if (!placeholder.IsWindow()) {
        CPropertyPage::OnInitDialog();
        return TRUE;
    }
    const RECT rect = placeholder.GetRectInParent();
    placeholder.DestroyWindow();
    m_timePicker.m_hWnd = ::CreateWindowExA(0, DATETIMEPICK_CLASSA, "", kPickerStyle, rect.left, rect.top,
                                            rect.right - rect.left, rect.bottom - rect.top, m_hWnd,
                                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_PUB_TIME)),
                                            moduleInstance(), nullptr);
    if (m_timePicker.IsWindow()) {
        m_timePicker.SetFont(GetFont(), false);
        m_timePicker.SetFormat("HH:mm");
    }

    CComboBox every(GetDlgItem(IDC_PUB_EVERY)), last(GetDlgItem(IDC_PUB_LAST));
    for (int id : kEveryStrings) every.AddString(loadString(id));
    for (int id : kLastStrings) last.AddString(loadString(id));

    load();
    setPickerTime(m_snapshot.Hour, m_snapshot.Minute);
    UpdateData(false);
    applyEnablingRules();
    createSettingsToolTip(m_toolTip, m_hWnd, kControls);
    return TRUE;
}

bool CPublishDlg::PreTranslateMessage(MSG* message) {
    if (m_toolTip.IsWindow()) m_toolTip.RelayEvent(message);
    return CPropertyPage::PreTranslateMessage(message);
}

void CPublishDlg::setPickerTime(int hour, int minute) {
    if (!m_timePicker.IsWindow()) return;
    SYSTEMTIME time{};
    ::GetLocalTime(&time);
    // An odd stored value shows as the nearest time of day.
    time.wHour = static_cast<WORD>(hour < 0 ? 0 : hour > 23 ? 23 : hour);
    time.wMinute = static_cast<WORD>(minute < 0 ? 0 : minute > 59 ? 59 : minute);
    time.wSecond = 0;
    time.wMilliseconds = 0;
    m_timePicker.SetTime(time);
}

void CPublishDlg::applyEnablingRules() {
    UpdateData(true);  // a failure has shown its message; the values taken so far are used
    const bool autoPublish = m_values.AutoPublish;
    if (m_timePicker.IsWindow()) m_timePicker.EnableWindow(autoPublish && m_values.Every != 0);
    GetDlgItem(IDC_PUB_EVERY).EnableWindow(autoPublish);
    GetDlgItem(IDC_PUB_TOPCOUNT).EnableWindow(m_values.IsTop);
}

bool CPublishDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    if (lParam && code == BN_CLICKED) {
        switch (id) {
        case IDC_PUB_FILE_BROWSE:
        case IDC_PUB_BEFORE_BROWSE:
        case IDC_PUB_AFTER_BROWSE:
            browse(id);
            return true;
        case IDC_PUB_HEADER_EDIT:
            editTemplate(m_values.Header);
            return true;
        case IDC_PUB_ITEM_EDIT:
            editTemplate(m_values.Item);
            return true;
        case IDC_PUB_FOOTER_EDIT:
            editTemplate(m_values.Footer);
            return true;
        case IDC_PUB_PUBLISH_NOW:
            publishNow();
            return true;
        default:
            break;
        }
    }
    const SettingsControl* control = lParam ? findSettingsControl(kControls, id, code) : nullptr;
    if (!control) return CPropertyPage::OnCommand(wParam, lParam);
    if (control->onChange & kChangeRefresh) applyEnablingRules();
    if (control->onChange & kChangeModified) SetModified(true);
    return true;
}

void CPublishDlg::browse(int buttonId) {
    for (const BrowseButton& button : kBrowseButtons) {
        if (button.id != buttonId) continue;
        std::string path = m_values.*button.target;
        if (browseForFile(path, m_hWnd, "", "", loadString(button.title))) m_values.*button.target = path;
        UpdateData(false);
        SetModified(true);
        return;
    }
}

void CPublishDlg::editTemplate(std::string& text) {
    UpdateData(true);
    // Owned by the sheet: while it is open, no "Disable" can take this page away beneath it.
    HtmlEditDlg editor(&text, ::GetParent(m_hWnd));
    if (editor.DoModal() != IDOK) return;
    UpdateData(false);
    SetModified(true);
}

void CPublishDlg::publishNow() {
    savePublishSettings();
    m_host.publishReport();
}

BOOL CPublishDlg::OnApply() {
    savePublishSettings();
    load();
    return TRUE;
}

void CPublishDlg::OnReset() {
    // Every value goes back to the last apply (or the opening), "Log" and "Open When Finished"
    // included.
    copyFrom(m_snapshot);
    setPickerTime(m_snapshot.Hour, m_snapshot.Minute);
    UpdateData(false);
    m_sheet.MarkCancelled();
}

void CPublishDlg::savePublishSettings(bool takeValues) {
    if (takeValues) UpdateData(true);  // a failure has shown its message; the values taken so far are stored
    int hour = m_snapshot.Hour, minute = m_snapshot.Minute;
    SYSTEMTIME time{};
    if (m_timePicker.IsWindow() && m_timePicker.GetTime(time) == GDT_VALID) {
        hour = time.wHour;
        minute = time.wMinute;
    }
    IProfile& p = *m_host.context().profile;
    const std::string s = sectionPublish();
    p.writeString(s, "RunBefore", m_values.RunBefore);
    p.writeString(s, "RunAfter", m_values.RunAfter);
    p.writeString(s, "PublishFile", m_values.PublishFile);
    p.writeString(s, "Item", m_values.Item);
    p.writeString(s, "Header", m_values.Header);
    p.writeString(s, "Footer", m_values.Footer);
    p.writeInt(s, "Every", clampChoice(m_values.Every, m_snapshot.Every));
    p.writeInt(s, "AutoPublish", m_values.AutoPublish ? 1 : 0);
    p.writeInt(s, "PublishLast", clampChoice(m_values.PublishLast, m_snapshot.PublishLast));
    p.writeInt(s, "IsTop", m_values.IsTop ? 1 : 0);
    p.writeInt(s, "TopCount", m_values.TopCount);
    p.writeInt(s, "Log", m_values.Log ? 1 : 0);
    p.writeInt(s, "Hour", hour);
    p.writeInt(s, "Minute", minute);
    p.writeInt(s, "OpenPublishedFile", m_values.OpenPublishedFile ? 1 : 0);
    p.writeInt(s, "WinStates", winStates(m_values));
}
