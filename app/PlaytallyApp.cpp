#include "app/PlaytallyApp.h"

#include <shellapi.h>

#include "resources/resource.h"
#include "ui/AboutDlg.h"
#include "ui/PlayExchangeCommands.h"
#include "window/PlaytallyDlg.h"

#include <ctime>

#include "core/FileSystem.h"
#include "framework/FrameworkTexts.h"
#include "framework/Module.h"
#include "framework/RichEdit.h"
#include "plugin/win/RegistryProfile.h"
#include "core/Profile.h"
#include "core/SettingsTable.h"
#include "plugin/win/VersionInfo.h"
#include "plugin/win/WinMessages.h"
#include "plugin/win/WinampLink.h"
#include "report/AutoPublish.h"
#include "plugin/Publisher.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {

SystemVersion systemVersion() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&info)) return {};
#pragma GCC diagnostic pop
    return {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
}

CPlaytallyApp::VersionSource g_versionSource = &systemVersion;

std::string logonName() {
    char name[255] = {};
    DWORD size = sizeof name;
    if (!GetUserNameA(name, &size) || name[0] == '\0') return "unknown_user";
    return name;
}

std::string moduleFileName(HINSTANCE module) {
    char path[MAX_PATH * 4] = {};
    DWORD n = GetModuleFileNameA(module, path, sizeof path);
    return std::string(path, n < sizeof path ? n : 0);
}

}  // namespace

void CPlaytallyApp::setVersionSource(VersionSource source) { g_versionSource = source ? source : &systemVersion; }

CPlaytallyApp::CPlaytallyApp(HINSTANCE module)
    : module_(module),
      moduleFile_(moduleFileName(module)),
      profile_(std::make_unique<RegistryProfile>(applicationNameFromPath(moduleFile_))),
      messages_(std::make_unique<WinMessages>(*profile_)),
      context_(*profile_, *messages_, clock_, systemFileSystem()),
      doc_(context_) {
    runner_ = std::make_unique<CProgramRunner>(*messages_);
    context_.runner = runner_.get();
    context_.progress = &progress_;
    context_.views = this;
    context_.dialogs = &recordDialogs_;  // record editing
    context_.userName = logonName();
    // The framework's own boxes speak with the plug-in's texts.
    setFrameworkTexts({loadString(IDS_PLUGIN_NAME), loadString(IDS_DDX_INTEGER), loadString(IDS_DDX_POSITIVE_INTEGER),
                       loadString(IDS_DDX_INTEGER_RANGE), "Playtally: "});

    readLastAutoPublish();
    const GeneralSettings& settings = context_.reloadSettings();
    windowsXP_ = isWindowsXP(g_versionSource());
    suspendedAtStart_ = settings.NotStore;
}

CPlaytallyApp::~CPlaytallyApp() {
    // Whatever quit did not end (a player that unloads without quitting): no timer or hook may
    // call into an unloaded library.
    hook_.removeHook();
    if (autoPublishTimer_) autoPublishTimer_->stop();
    if (autoSaveTimer_) autoSaveTimer_->stop();
    if (pollTimer_) pollTimer_->stop();
}

int CPlaytallyApp::init(HWND winampWindow) {
    winamp_ = winampWindow;
    // Dialog foundations: the template editor's control class.
    loadRichEditLibrary();
    // 1. The plug-in folder: the library's path up to its last backslash.
    const std::size_t slash = moduleFile_.find_last_of('\\');
    context_.pluginFolder = moduleFolder();
    const std::string fileName = slash == std::string::npos ? moduleFile_ : moduleFile_.substr(slash + 1);

    // 2. The description shown in the player's list.
    lstrcpynA(description_, (loadString(IDS_PLUGIN_NAME) + " Plug-In (" + fileName + ")").c_str(), sizeof description_);

    // 3. The player link, and the monitor that follows it on timer 0.
    link_ = std::make_unique<CWinampLink>(winamp_);
    context_.player = link_.get();  // describes files without ID3 tags at the end of a play
    pollTimer_ = std::make_unique<CWindowTimer>(winamp_, CPlaybackMonitor::kPollTimerId,
                                                CPlaybackMonitor::kPollPeriodMs, [this] {
                                                    pollGuard_.run(context_.messages,
                                                                   [this] {
                                                                       monitor_->pollPlayback();
                                                                       listen_.notePlaying(monitor_->pending(),
                                                                                           monitor_->lastState() == PlayState::Playing);
                                                                   });
                                                });
    sink_ = std::make_unique<CSendingTrackSink>(doc_, listen_);
    monitor_ = std::make_unique<CPlaybackMonitor>(context_, *link_, *pollTimer_, *sink_);
    monitor_->setSuspended(suspendedAtStart_);
    autoSaveTimer_ = std::make_unique<CWindowTimer>(winamp_, kAutoSaveTimerId, 0, [this] {
        autoSaveGuard_.run(context_.messages, [this] { autoSaveTick(); });
    });

    autoPublishTimer_ = std::make_unique<CThreadTimer>(kAutoPublishCheckMs, [this] {
        autoPublishCheck();
    });

    // 4. The version resource signs the database file.
    context_.signature = signatureOf(readModuleVersion(moduleFile_));

    // 5. Start what the settings allow.
    const GeneralSettings settings = context_.readSettings();
    if (!settings.Disable) startServices(settings);
    if (!settings.Disable && settings.ShowIcon) setTrayIcon(false);

    // 6. The hook on the player's main window.
    hook_.installHook(winamp_, [this](HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        return onHostMessage(message, wParam, lParam, result);
    });

    // 7. The welcome text, once per user.
    showFirstRunMessage();

    // 8. The visual-style manifest.
    ensureManifest(windowsXP_, context_.pluginFolder, context_.files, notices_);
    return 0;
}

void CPlaytallyApp::startServices(const GeneralSettings& settings) {
    doc_.LoadDatabase();
    listen_.start(resolvePluginPath(settings.DBPath, context_.pluginFolder));
    monitor_->startPolling();
    restartAutoSave(settings);
    autoPublishCheck();
}

void CPlaytallyApp::publishReport() {
    ::publishReport(context_, doc_, shell_);
}

void CPlaytallyApp::autoPublishCheck() {
    if (!autoPublishTimer_) return;  // before init
    // Also run at init and when settings change: a failing report must not cut those short.
    autoPublishGuard_.run(context_.messages, [this] {
        ::autoPublishCheck(context_, *autoPublishTimer_, lastAutoPublish_, [this] { publishReport(); });
    });
}

void CPlaytallyApp::restartAutoSave(const GeneralSettings& settings) {
    autoSaveTimer_->stop();
    // "AutoSave" 0 means no automatic save (a 0 ms timer would save without pause); the database
    // is still saved at quit.
    if (settings.AutoSave <= 0) return;
    const long long ms = static_cast<long long>(settings.AutoSave) * 60000;
    autoSaveTimer_->setPeriod(static_cast<UINT>(ms > 0x7FFFFFFF ? 0x7FFFFFFF : ms));
    autoSaveTimer_->start();
}

void CPlaytallyApp::autoSaveTick() {
    if (!dataRemoved_ && !context_.readSettings().Disable) doc_.SaveDatabase();
}

// --- Settings sheet ---

void CPlaytallyApp::config() {
    // After an uninstall that removed the settings, a sheet would only write them back.
    if (dataRemoved_) return;
    if (sheet_) {
        // One sheet at a time: a second request brings the open one to the front.
        if (HWND window = sheet_->GetSafeHwnd()) ::SetForegroundWindow(window);
        return;
    }
    sheet_ = std::make_unique<CSettingsSheet>(*this, loadString(IDS_SETTINGS_CAPTION), nullptr, 0);
    sheet_->DoModal();
    sheet_.reset();
}

void CPlaytallyApp::applySettings() {
    if (dataRemoved_) return;
    if (sheet_) sheet_->SavePages();
    applyGeneralSettings();
}

void CPlaytallyApp::applyGeneralSettings() {
    const GeneralSettings settings = context_.reloadSettings();
    if (!monitor_) return;  // before init there is nothing to apply to
    if (!settings.Disable && !listen_.running()) listen_.start(resolvePluginPath(settings.DBPath, context_.pluginFolder));
    listen_.applySettings();
    if (settings.Disable)
        monitor_->stopPolling();
    else
        monitor_->startPolling();
    autoPublishCheck();
    restartAutoSave(settings);
    monitor_->setSuspended(settings.NotStore);
    setTrayIcon(!(settings.ShowIcon && !settings.Disable));
    if (settings.Disable) destroyPlaytallyWindow();
}

void CPlaytallyApp::quit() {
    // 1. The playing track goes to the database.
    if (monitor_) monitor_->stopPolling();
    // Then the sending thread ends, within two seconds; what it did not send stays in the outbox.
    listen_.stop();
    if (dataRemoved_) {
        // Uninstalled with the plays and settings: saving or writing the last publish time would
        // bring them back.
        hook_.removeHook();
        return;
    }
    // 2. The window keeps its state, then goes, and the tray icon with it.
    destroyPlaytallyWindow();
    setTrayIcon(true);
    // 3. Save, unless disabled.
    if (!context_.readSettings().Disable) doc_.SaveDatabase();
    // 4. The time of the last automatic publication.
    writeLastAutoPublish();
    // 5. The hook goes, and with it every timer of this plug-in.
    hook_.removeHook();
    if (autoSaveTimer_) autoSaveTimer_->stop();
    if (autoPublishTimer_) autoPublishTimer_->stop();
}

void CPlaytallyApp::readLastAutoPublish() {
    const MainSettings main = loadMainSettings(*profile_);
    std::tm tm = {};
    tm.tm_year = main.PublishedYear - 1900;
    tm.tm_mon = main.PublishedMonth - 1;
    tm.tm_mday = main.PublishedDay;
    tm.tm_hour = main.PublishedHour;
    tm.tm_min = main.PublishedMinute;
    tm.tm_isdst = -1;  // the system decides daylight saving
    const std::time_t t = std::mktime(&tm);
    lastAutoPublish_ = t == static_cast<std::time_t>(-1) ? 0 : static_cast<TimeValue>(t);
}

void CPlaytallyApp::writeLastAutoPublish() {
    std::tm tm = {};
    const __time64_t t = lastAutoPublish_;
    if (_localtime64_s(&tm, &t) != 0) return;
    MainSettings main;
    main.PublishedYear = tm.tm_year + 1900;
    main.PublishedMonth = tm.tm_mon + 1;
    main.PublishedDay = tm.tm_mday;
    main.PublishedHour = tm.tm_hour;
    main.PublishedMinute = tm.tm_min;
    writeSettingsWhere(*profile_, mainSettingsTable(), main, [](const SettingLine<MainSettings>& line) {
        return !line.member.holds(&MainSettings::FirstTime);
    });
}

void CPlaytallyApp::showFirstRunMessage() {
    const bool first = loadMainSettings(*profile_).FirstTime;
    writeSetting(*profile_, mainSettingsTable(), &MainSettings::FirstTime, MainSettings{});  // false: shown
    if (first) notices_.showInformation(loadString(IDS_PLUGIN_NAME), loadString(IDS_FIRST_START));
}

std::string CPlaytallyApp::moduleFolder() const {
    const std::size_t slash = moduleFile_.find_last_of('\\');
    return slash == std::string::npos ? std::string() : moduleFile_.substr(0, slash);
}

// ---- Uninstall from the player's preferences ----

bool CPlaytallyApp::uninstall() {
    if (dataRemoved_) return true;
    if (!context_.messages.askYesNo(loadString(IDS_UNINSTALL_REMOVE_DATA), "")) return false;
    // The player may call this before init; the database is found as the plug-in finds it.
    const std::string folder = context_.pluginFolder.empty() ? moduleFolder() : context_.pluginFolder;
    const std::string database = resolvePluginPath(context_.readSettings().DBPath, folder);

    // Nothing records or saves from here on, so that neither comes back before the player quits.
    dataRemoved_ = true;
    if (monitor_) monitor_->stopPolling();
    if (autoSaveTimer_) autoSaveTimer_->stop();
    if (autoPublishTimer_) autoPublishTimer_->stop();
    listen_.stop();
    // The window writes its state as it goes, so it goes before the key does.
    destroyPlaytallyWindow();
    setTrayIcon(true);
    profile_->deleteApplicationKey();

    IFileSystem& files = context_.files;
    // The plays waiting to be sent go with the plays.
    const std::string outbox = outboxPathFor(database);
    if (!database.empty() && files.exists(outbox)) files.removeFile(outbox);
    if (!database.empty() && files.exists(database) && !files.removeFile(database))
        context_.messages.showMessage(loadString(IDS_UNINSTALL_DATABASE_KEPT) + database + "\n" + files.lastErrorText(),
                                       "");
    return true;
}

namespace {
std::unique_ptr<CPlaytallyApp>& appHolder() {
    static std::unique_ptr<CPlaytallyApp> app;
    return app;
}
}  // namespace

CPlaytallyApp& theApp() {
    auto& app = appHolder();
    if (!app) app = std::make_unique<CPlaytallyApp>(moduleInstance());
    return *app;
}

void destroyTheApp() { appHolder().reset(); }

// ---- Playtally window and tray icon ----
namespace {
constexpr UINT kTrayMessage = WM_USER + 128;
constexpr UINT kTrayIconId = 1224;
}  // namespace

void CPlaytallyApp::setTrayIcon(bool remove) {
    if (!winamp_) return;
    NOTIFYICONDATAA data = {};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;  // the size every shell version knows (88 bytes in 32 bits)
    data.hWnd = winamp_;
    data.uID = kTrayIconId;
    if (remove) {
        Shell_NotifyIconA(NIM_DELETE, &data);
        return;
    }
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data.uCallbackMessage = kTrayMessage;
    data.hIcon = LoadIconA(module_, MAKEINTRESOURCEA(IDI_PLAYTALLY));
    lstrcpynA(data.szTip, "Dozoderi Playtally", 63);
    Shell_NotifyIconA(NIM_ADD, &data);
}

bool CPlaytallyApp::onHostMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message != kTrayMessage) return false;
    if (LOWORD(lParam) == WM_LBUTTONDOWN && LOWORD(wParam) == kTrayIconId) {
        showPlaytallyWindow();
        result = 0;
        return true;
    }
    if (LOWORD(lParam) == WM_RBUTTONDOWN) runTrayMenu();
    return false;  // passed on like every other message
}

void CPlaytallyApp::runTrayMenu() {
    HMENU menu = LoadMenuA(module_, MAKEINTRESOURCEA(IDR_TRAY_MENU));
    if (!menu) return;
    POINT p = {};
    GetCursorPos(&p);
    SetForegroundWindow(winamp_);
    const UINT choice = static_cast<UINT>(TrackPopupMenu(GetSubMenu(menu, 0),
                                                         TPM_RETURNCMD | TPM_NONOTIFY | TPM_BOTTOMALIGN | TPM_CENTERALIGN,
                                                         p.x, p.y, 0, winamp_, nullptr));
    DestroyMenu(menu);
    switch (choice) {
    case ID_TRAY_SETTINGS: config(); break;
    case ID_TRAY_SHOW: showPlaytallyWindow(); break;
    case ID_TRAY_PUBLISH: publishReport(); break;
    case ID_TRAY_EXPORT_PLAYS: exportPlaysCommand(window_ && window_->IsWindowVisible() ? window_->m_hWnd : nullptr, doc_); break;
    case ID_TRAY_WEBSITE: openWebsite(); break;
    case ID_TRAY_ABOUT: showAbout(); break;
    default: break;
    }
}

void CPlaytallyApp::showPlaytallyWindow() {
    if (!window_) {
        auto window = std::make_unique<CPlaytallyDlg>(&doc_, context_.profile, this);
        if (!window->Create(nullptr)) return;
        window_ = std::move(window);
    }
    window_->ShowWindow(SW_SHOW);
    window_->UpdateRecordLinks();
    SetForegroundWindow(window_->m_hWnd);
}

void CPlaytallyApp::openWebsite() {
    ShellExecuteA(nullptr, "open", loadString(IDS_WEB_PAGE).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CPlaytallyApp::ShowHelpText(HelpValue value) {
    if (window_ && window_->IsWindow()) window_->ShowHelpText(value);
}

void CPlaytallyApp::showAbout() {
    if (aboutOpen_) return;
    aboutOpen_ = true;
    try {
        CAboutDlg about(window_ && window_->IsWindowVisible() ? window_->m_hWnd : nullptr, this);
        about.DoModal();
    } catch (...) {
        aboutOpen_ = false;
        throw;
    }
    aboutOpen_ = false;
}

bool CPlaytallyApp::playtallyWindowVisible() const { return window_ && window_->IsWindowVisible(); }

bool CPlaytallyApp::playtallyWindowInLogMode() const { return window_ && window_->IsLogMode(); }

void CPlaytallyApp::refreshPlaytallyWindow() {
    if (window_) window_->Refresh();
}

void CPlaytallyApp::destroyPlaytallyWindow() {
    if (!window_) return;
    window_->SaveState(true);  // which also hides it: it goes without showing again
    window_.reset();
}
// ---- end of the Playtally window block ----
