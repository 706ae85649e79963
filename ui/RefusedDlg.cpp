#include "ui/RefusedDlg.h"

#include <commctrl.h>

#include "core/TimeFormat.h"
#include "core/Utf.h"
#include "core/win/SystemText.h"
#include "plugin/ListenPayload.h"
#include "resources/StringTable.h"
#include "resources/resource.h"
#include "ui/SettingsPageControls.h"

namespace {

const SettingsControl kControls[] = {
    {IDC_LB_REFUSED_LIST, 0, kChangeNothing, IDS_TIP_LB_REFUSED_LIST},
};

// The list's columns: caption and share of the list's width, in percent.
struct RefusedColumn {
    UINT caption;
    int share;
};
const RefusedColumn kColumns[] = {
    {IDS_LB_REFUSED_ARTIST, 22},
    {IDS_LB_REFUSED_TITLE, 24},
    {IDS_LB_REFUSED_WHEN, 20},
    {IDS_LB_REFUSED_REASON, 34},
};

// Cells are UTF-8: set as UTF-16, whole whatever the code page.
void setCell(HWND list, int row, int column, const std::string& utf8) {
    std::u16string wide = utf8ToUtf16(utf8);
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(wideChars(wide));
    if (column == 0)
        ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    else
        ::SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

CRefusedDlg::CRefusedDlg(std::vector<RefusedListen> refused, std::string dateFormat, HWND parent)
    : CDialog(IDD_LB_REFUSED, parent), m_refused(std::move(refused)), m_dateFormat(std::move(dateFormat)) {}

BOOL CRefusedDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    HWND list = GetDlgItem(IDC_LB_REFUSED_LIST);
    ::SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    RECT area{};
    ::GetClientRect(list, &area);
    const int width = area.right - area.left - ::GetSystemMetrics(SM_CXVSCROLL);
    int index = 0;
    for (const RefusedColumn& column : kColumns) {
        const std::string caption = loadString(static_cast<int>(column.caption));
        LVCOLUMNA col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        col.pszText = const_cast<char*>(caption.c_str());
        col.cx = width * column.share / 100;
        col.iSubItem = index;
        ::SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index++), reinterpret_cast<LPARAM>(&col));
    }
    fillList();
    createSettingsToolTip(m_toolTip, m_hWnd, kControls);
    return TRUE;
}

bool CRefusedDlg::PreTranslateMessage(MSG* message) {
    if (m_toolTip.IsWindow()) m_toolTip.RelayEvent(message);
    return CDialog::PreTranslateMessage(message);
}

void CRefusedDlg::fillList() {
    HWND list = GetDlgItem(IDC_LB_REFUSED_LIST);
    const std::string& format = m_dateFormat.empty() ? std::string("%c") : m_dateFormat;
    int row = 0;
    for (const RefusedListen& refused : m_refused) {
        const ListenSummary summary = summarizeListen(refused.bytes);
        setCell(list, row, 0, summary.artist);
        setCell(list, row, 1, summary.title);
        setCell(list, row, 2, summary.listenedAt ? formatDate(summary.listenedAt, format) : std::string());
        setCell(list, row, 3, refused.reason);
        ++row;
    }
}
