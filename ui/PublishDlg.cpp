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
    {IDC_PUB_FILE, EN_CHANGE, kChangeModified, IDS_TIP_PUB_FILE},
    {IDC_PUB_FILE_BROWSE, BN_CLICKED, kChangeNothing, IDS_TIP_PUB_FILE_BROWSE},
    {IDC_PUB_AUTOPUBLISH, BN_CLICKED, kChangeRefresh | kChangeModified, IDS_TIP_PUB_AUTOPUBLISH},
    {IDC_PUB_TIME, 0, kChangeNothing, IDS_TIP_PUB_TIME},
    {IDC_PUB_EVERY, CBN_SELCHANGE, kChangeRefresh | kChangeModified, IDS_TIP_PUB_EVERY},
    {IDC_PUB_BEFORE, EN_CHANGE, kChangeModified, IDS_TIP_PUB_BEFORE},
    {IDC_PUB_BEFORE_BROWSE, BN_CLICKED, kChangeNothing, IDS_TIP_PUB_BEFORE_BROWSE},
    {IDC_PUB_BEFORE_HIDE, BN_CLICKED, kChangeModified, IDS_TIP_PUB_BEFORE_HIDE},
    {IDC_PUB_BEFORE_WAIT, BN_CLICKED, kChangeModified, IDS_TIP_PUB_BEFORE_WAIT},
    {IDC_PUB_AFTER, EN_CHANGE, kChangeModified, IDS_TIP_PUB_AFTER},
    {IDC_PUB_AFTER_BROWSE, BN_CLICKED, kChangeNothing, IDS_TIP_PUB_AFTER_BROWSE},
    {IDC_PUB_AFTER_HIDE, BN_CLICKED, kChangeModified, IDS_TIP_PUB_AFTER_HIDE},
    {IDC_PUB_AFTER_WAIT, BN_CLICKED, kChangeModified, IDS_TIP_PUB_AFTER_WAIT},
    {IDC_PUB_LAST, CBN_SELCHANGE, kChangeModified, IDS_TIP_PUB_LAST},
    {IDC_PUB_TOP, BN_CLICKED, kChangeRefresh | kChangeModified, IDS_TIP_PUB_TOP},
    {IDC_PUB_TOPCOUNT, EN_CHANGE, kChangeModified, IDS_TIP_PUB_TOPCOUNT},
    {IDC_PUB_LOG, BN_CLICKED, kChangeRefresh | kChangeModified, IDS_TIP_PUB_LOG},
    {IDC_PUB_STATS, BN_CLICKED, kChangeRefresh | kChangeModified, IDS_TIP_PUB_STATS},
    {IDC_PUB_STATSFILE, EN_CHANGE, kChangeModified, IDS_TIP_PUB_STATSFILE},
    {IDC_PUB_HEADER, EN_CHANGE, kChangeModified, IDS_TIP_PUB_HEADER},
    {IDC_PUB_HEADER_EDIT, BN_CLICKED, kChangeNothing, IDS_TIP_PUB_HEADER_EDIT},
    {IDC_PUB_ITEM, EN_CHANGE, kChangeModified, IDS_TIP_PUB_ITEM},
    {IDC_PUB_ITEM_EDIT, BN_CLICKED, kChangeNothing, IDS_TIP_PUB_ITEM_EDIT},
    {IDC_PUB_FOOTER, EN_CHANGE, kChangeModified, IDS_TIP_PUB_FOOTER},
    {IDC_PUB_FOOTER_EDIT, BN_CLICKED, kChangeNothing, IDS_TIP_PUB_FOOTER_EDIT},
    {IDC_PUB_OPEN, BN_CLICKED, kChangeNothing, IDS_TIP_PUB_OPEN},
    {IDC_PUB_PUBLISH_NOW, BN_CLICKED, kChangeNothing, IDS_TIP_PUB_PUBLISH_NOW},
};

// The three browse buttons: the title of the open-file dialog and the value the path goes to.
struct BrowseButton {
    int id;
    int title;
    std::string PublishSettings::*target;
};
const BrowseButton kBrowseButtons[] = {
    {IDC_PUB_FILE_BROWSE, IDS_PUB_FILE_BROWSE_TITLE, &PublishSettings::PublishFile},
    {IDC_PUB_BEFORE_BROWSE, IDS_PUB_BEFORE_BROWSE_TITLE, &PublishSettings::RunBefore},
    {IDC_PUB_AFTER_BROWSE, IDS_PUB_AFTER_BROWSE_TITLE, &PublishSettings::RunAfter},
};

// Strings of the two lists: "Every" (hour to year) and "Last" (from the beginning to a year).
const int kEveryStrings[] = {IDS_EVERY_HOUR, IDS_EVERY_DAY, IDS_EVERY_WEEK, IDS_EVERY_MONTH, IDS_EVERY_YEAR};
const int kLastStrings[] = {IDS_PERIOD_BEGINNING, IDS_PERIOD_DAY, IDS_PERIOD_WEEK, IDS_PERIOD_MONTH, IDS_PERIOD_YEAR};

constexpr DWORD kPickerStyle = WS_CHILD | WS_VISIBLE | DTS_TIMEFORMAT;

}  // namespace

CPublishDlg::CPublishDlg(ISettingsHost& host, CSettingsSheet& sheet)
    : CSettingsPage(IDD_PUBLISH, host, sheet, kControls) {}

void CPublishDlg::DoDataExchange(CDataExchange& dx) {
    m_exchange.exchange(dx, publishSettingsTable(), IDD_PUBLISH, m_values);
}

void CPublishDlg::load() {
    AppContext& context = m_host.context();
    m_snapshot = loadPublishSettings(context.profile, context.clock.now());
    m_values = m_snapshot;
}

BOOL CPublishDlg::OnInitDialog() {
    // Templates may be far longer than an edit's default limit.
    for (int id : {IDC_PUB_HEADER, IDC_PUB_ITEM, IDC_PUB_FOOTER}) CEdit(GetDlgItem(id)).LimitText(0);

    CWnd placeholder = GetDlgItem(IDC_PUB_TIME);
    if (!placeholder.IsWindow()) {
        CSettingsPage::OnInitDialog();
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
    CSettingsExchange::putTime(m_timePicker, publishSettingsTable(), IDD_PUBLISH, m_values);
    UpdateData(false);
    applyEnablingRules();
    createToolTip();
    return TRUE;
}


void CPublishDlg::applyEnablingRules() {
    UpdateData(true);  // a failure has shown its message; the values taken so far are used
    const bool autoPublish = m_values.AutoPublish;
    if (m_timePicker.IsWindow()) m_timePicker.EnableWindow(autoPublish && m_values.Every != 0);
    GetDlgItem(IDC_PUB_EVERY).EnableWindow(autoPublish);
    GetDlgItem(IDC_PUB_TOPCOUNT).EnableWindow(m_values.IsTop);
    GetDlgItem(IDC_PUB_STATSFILE).EnableWindow(m_values.StatisticsPage);
}

bool CPublishDlg::OnButtonClicked(int id) {
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
        return CSettingsPage::OnButtonClicked(id);
    }
}

void CPublishDlg::OnControlChange(const SettingsControl& control) {
    if (control.onChange & kChangeRefresh) applyEnablingRules();
    if (control.onChange & kChangeModified) SetModified(true);
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
    HtmlEditDlg editor(&text, m_host.placements(), ::GetParent(m_hWnd));
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
    m_values = m_snapshot;
    CSettingsExchange::putTime(m_timePicker, publishSettingsTable(), IDD_PUBLISH, m_values);
    UpdateData(false);
    m_sheet.MarkCancelled();
}

void CPublishDlg::savePublishSettings(bool takeValues) {
    if (takeValues) UpdateData(true);  // a failure has shown its message; the values taken so far are stored
    CSettingsExchange::takeTime(m_timePicker, publishSettingsTable(), IDD_PUBLISH, m_values);
    writeSettings(m_host.context().profile, publishSettingsTable(), m_values, IDD_PUBLISH);
}
