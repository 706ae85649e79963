#include "ui/GeneralDlg.h"

#include "database/Archive.h"
#include "database/Doc.h"
#include "core/FileSystem.h"
#include "framework/Handles.h"
#include "core/AppContext.h"
#include "core/Messages.h"
#include "core/Profile.h"
#include "core/win/SystemText.h"
#include "plugin/win/BrowseForFile.h"
#include "resources/StringTable.h"
#include "resources/resource.h"
#include "ui/FieldsDlg.h"
#include "ui/SettingsPageControls.h"
#include "ui/SettingsSheet.h"

namespace {

// The controls: what a change does and which tooltip explains them.
const SettingsControl kControls[] = {
    {IDC_GEN_DISABLE, BN_CLICKED, kChangeRefresh | kChangeModified | kChangeDatabase, IDS_TIP_GEN_DISABLE},
    {IDC_GEN_NOTSTORE, BN_CLICKED, kChangeModified, IDS_TIP_GEN_NOTSTORE},
    {IDC_GEN_SHOWICON, BN_CLICKED, kChangeModified, IDS_TIP_GEN_SHOWICON},
    {IDC_GEN_REFRESH, BN_CLICKED, kChangeModified, IDS_TIP_GEN_REFRESH},
    {IDC_GEN_DBPATH, EN_CHANGE, kChangeDatabase | kChangeModified, IDS_TIP_GEN_DBPATH},
    {IDC_GEN_BROWSE, BN_CLICKED, kChangeNothing, IDS_TIP_GEN_BROWSE},
    {IDC_GEN_NOLARGER, BN_CLICKED, kChangeRefresh | kChangeModified, IDS_TIP_GEN_NOLARGER},
    {IDC_GEN_DBSIZE, EN_CHANGE, kChangeModified, IDS_TIP_GEN_DBSIZE},
    {IDC_GEN_DATEFORMAT, EN_CHANGE, kChangeModified, IDS_TIP_GEN_DATEFORMAT},
    {IDC_GEN_STOREAFTER, EN_CHANGE, kChangeModified, IDS_TIP_GEN_STOREAFTER},
    {IDC_GEN_AUTOSAVE, EN_CHANGE, kChangeModified, IDS_TIP_GEN_AUTOSAVE},
    {IDC_GEN_NOTSTORE_TEXT, STN_CLICKED, kChangeNothing, IDS_TIP_GEN_NOTSTORE_TEXT},
    {IDC_GEN_NOTSTORE_FIELDS, BN_CLICKED, kChangeNothing, IDS_TIP_GEN_NOTSTORE_FIELDS},
    {IDC_GEN_GROUPBY_TEXT, STN_CLICKED, kChangeNothing, IDS_TIP_GEN_GROUPBY_TEXT},
    {IDC_GEN_GROUPBY_FIELDS, BN_CLICKED, kChangeNothing, IDS_TIP_GEN_GROUPBY_FIELDS},
    {IDC_GEN_MERGE, BN_CLICKED, kChangeNothing, IDS_TIP_GEN_MERGE},
};

// Greyed while "Disable" is set (the box itself and the two field-list labels stay).
const int kDisabledWithPlugin[] = {IDC_GEN_NOTSTORE,    IDC_GEN_SHOWICON,        IDC_GEN_DBPATH,
                                   IDC_GEN_BROWSE,      IDC_GEN_DBSIZE,          IDC_GEN_NOLARGER,
                                   IDC_GEN_DATEFORMAT,  IDC_GEN_STOREAFTER,      IDC_GEN_NOTSTORE_FIELDS,
                                   IDC_GEN_GROUPBY_FIELDS, IDC_GEN_AUTOSAVE,     IDC_GEN_REFRESH,
                                   IDC_GEN_MERGE};

// The choosers' masks: a set entry greys that field's box. The required fields can only be tag
// fields; grouping may use any field that has a box.
const FieldFlags kRequiredMask = {true, true, true, true, true, false, false, false, false, false, false};
const FieldFlags kGroupingMask = {true, false, true, false, false, false, false, false, false, false, false};

// Posted to the page by its initialisation (see OnInitDialog).
constexpr UINT kMarkModified = WM_APP + 1;



// Whether a file that holds something starts with this plug-in's database signature.
bool hasOurSignature(IFileSystem& files, const std::string& path, const std::string& signature) {
    std::unique_ptr<IFile> file = files.openRead(path);
    if (!file) return false;
    try {
        if (file->size() <= 0) return true;  // an empty file is where a new database starts
        CArchive archive(*file, CArchive::load);
        const bool ours = archive.ReadString() == signature;
        file->close();
        return ours;
    } catch (...) {
        return false;
    }
}

}  // namespace

std::string CGeneralDlg::fieldListText(const std::string& caption, const FieldFlags& flags) {
    std::string list;
    for (int i = 0; i < kFieldCount; ++i) {
        if (!flags[i]) continue;
        if (!list.empty()) list += ", ";
        list += kFieldNames[i];
    }
    return caption + " " + list;
}

CGeneralDlg::CGeneralDlg(ISettingsHost& host, CSettingsSheet& sheet)
    : CSettingsPage(IDD_GENERAL, host, sheet, kControls) {}

void CGeneralDlg::DoDataExchange(CDataExchange& dx) {
    m_exchange.exchange(dx, generalSettingsTable(), IDD_GENERAL, m_values);
    dx.Text(IDC_GEN_NOTSTORE_TEXT, m_doNotStoreText);
    dx.Text(IDC_GEN_GROUPBY_TEXT, m_groupByText);
}

BOOL CGeneralDlg::OnInitDialog() {
    CSettingsPage::OnInitDialog();
    AppContext& context = m_host.context();
    m_snapshot = loadGeneralSettings(context.profile, context.userName);
    m_values = m_snapshot;
    m_wasDisabled = m_values.Disable;
    UpdateData(false);
    refresh();

    createToolTip();
    // Filling the path edit above counted as a change of the database. The sheet may still reset
    // its Apply button after creating its first page, so the page marks itself once it is shown.
    if (m_settingsChanged) PostMessage(kMarkModified);
    return TRUE;
}

bool CGeneralDlg::OnMessage(UINT message, WPARAM, LPARAM, LRESULT&) {
    if (message != kMarkModified) return false;
    SetModified(true);
    return true;
}


void CGeneralDlg::refresh() {
    UpdateData(true);  // a failure has shown its message; the values taken so far are used
    m_doNotStoreText = fieldListText(loadString(IDS_GEN_NOTSTORE_CAPTION), m_values.DoNotStoreFields);
    m_groupByText = fieldListText(loadString(IDS_GEN_GROUPBY_CAPTION), m_values.GroupPlaytallyBy);
    const bool enabled = !m_values.Disable;
    for (int id : kDisabledWithPlugin) GetDlgItem(id).EnableWindow(enabled);
    if (enabled) GetDlgItem(IDC_GEN_DBSIZE).EnableWindow(m_values.NoLarger);
    m_sheet.ShowPublishPage(enabled);
    UpdateData(false);
}

bool CGeneralDlg::OnButtonClicked(int id) {
    switch (id) {
    case IDC_GEN_BROWSE: browseForDatabase(); return true;
    case IDC_GEN_NOTSTORE_FIELDS: chooseFields(m_values.DoNotStoreFields, kRequiredMask); return true;
    case IDC_GEN_GROUPBY_FIELDS: chooseFields(m_values.GroupPlaytallyBy, kGroupingMask); return true;
    case IDC_GEN_MERGE: merge(); return true;
    default: return CSettingsPage::OnButtonClicked(id);
    }
}

void CGeneralDlg::OnControlChange(const SettingsControl& control) {
    if (control.onChange & kChangeRefresh) refresh();
    if (control.onChange & kChangeModified) SetModified(true);
    if (control.onChange & kChangeDatabase) m_settingsChanged = true;
}

void CGeneralDlg::takeSizeLimit() {
    const GeneralSettings settings = m_host.context().readSettings();
    m_values.NoLarger = m_snapshot.NoLarger = settings.NoLarger;
    m_snapshot.DBSize = settings.DBSize;
    m_values.DBSize = settings.DBSize > 0 ? static_cast<unsigned>(settings.DBSize) : 0u;
    if (!GetSafeHwnd()) return;
    // Only these two controls: whatever else the user typed on the page stays as typed.
    ::CheckDlgButton(m_hWnd, IDC_GEN_NOLARGER, m_values.NoLarger ? BST_CHECKED : BST_UNCHECKED);
    ::SetDlgItemInt(m_hWnd, IDC_GEN_DBSIZE, m_values.DBSize, FALSE);
    GetDlgItem(IDC_GEN_DBSIZE).EnableWindow(!m_values.Disable && m_values.NoLarger);
}

void CGeneralDlg::browseForDatabase() {
    std::string path = m_values.DBPath;
    if (browseForFile(path, m_hWnd, "", "", loadString(IDS_GEN_BROWSE_TITLE))) m_values.DBPath = path;
    UpdateData(false);
    m_settingsChanged = true;
    SetModified(true);
}

void CGeneralDlg::chooseFields(FieldFlags& flags, const FieldFlags& mask) {
    // Owned by the sheet, which waits for it as a modal dialog's owner does (no second chooser).
    CFieldsDlg chooser(&flags, &mask, ::GetParent(m_hWnd));
    if (chooser.DoModal() != IDOK) return;
    SetModified(true);
    refresh();
}

void CGeneralDlg::merge() {
    std::string path;
    if (!browseForFile(path, m_hWnd, "", "", loadString(IDS_GEN_BROWSE_TITLE))) return;
    AppContext& context = m_host.context();
    // The database itself holds nothing to add, and reading it as a second copy would bring back
    // what was removed since the last save.
    const std::string own = resolvePluginPath(context.readSettings().DBPath, context.pluginFolder);
    if (context.files.sameFile(path, own)) {
        // Saying nothing would look as if the button did nothing.
        context.messages.showMessage(loadString(IDS_GEN_MERGE_INTO_ITSELF), "MergeDBIntoItself");
        return;
    }
    m_host.doc().MergeFrom(path);
}

bool CGeneralDlg::checkNewDatabasePath() {
    AppContext& context = m_host.context();
    const std::string path = resolvePluginPath(m_values.DBPath, context.pluginFolder);
    const std::string old = resolvePluginPath(m_snapshot.DBPath, context.pluginFolder);
    if (path.empty() || context.files.sameFile(path, old)) return true;
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;  // a new database starts there

    auto refuse = [&](const std::string& text, const char* key) {
        context.messages.showMessage(text, key);
        GetDlgItem(IDC_GEN_DBPATH).SetFocus();
        return false;
    };
    // A folder or a file that cannot be written could never take a save: the plays recorded from
    // now on would be lost at the end.
    UniqueFileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
    const DWORD error = file ? ERROR_ACCESS_DENIED : ::GetLastError();
    if (!file || (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
        return refuse(loadString(IDS_GEN_CANNOT_SAVE) + systemErrorText(error), "ErrorSavingDBFile");
    file.reset();
    // Another program's file would be moved aside at the next save to make room.
    if (!hasOurSignature(context.files, path, context.signature.description))
        return refuse(loadString(IDS_GEN_UNKNOWN_HEADER), "ErrorOpening");
    return true;
}

BOOL CGeneralDlg::OnApply() {
    AppContext& context = m_host.context();
    CDoc& doc = m_host.doc();
    if (m_settingsChanged) {
        if (!m_values.Disable && !checkNewDatabasePath()) return FALSE;
        // The plays in memory go to the old file before anything else is loaded; if they cannot
        // be saved there, nothing changes (the message has said why).
        if (!m_wasDisabled && !doc.SaveDatabase()) return FALSE;
        saveGeneralSettings();
        if (m_values.Disable) {
            context.views->destroyPlaytallyWindow();
        } else {
            doc.LoadDatabase();
            context.views->refreshPlaytallyWindow();
        }
        m_settingsChanged = false;
    } else {
        saveGeneralSettings();
    }
    m_snapshot = loadGeneralSettings(context.profile, context.userName);
    m_wasDisabled = m_values.Disable;
    m_host.applyGeneralSettings();
    return TRUE;
}

void CGeneralDlg::OnReset() {
    // Every value goes back to the last apply (or the opening), the field lists included.
    m_values = m_snapshot;
    m_settingsChanged = false;
    UpdateData(false);
    m_sheet.MarkCancelled();
}

void CGeneralDlg::saveGeneralSettings() {
    writeSettings(m_host.context().profile, generalSettingsTable(), m_values, IDD_GENERAL);
}
