// The application object: one per loaded plug-in. It owns the document, the player link, the
// playback monitor and the timers, and runs start-up (init), configuration and shut-down (quit)
// in the order the player expects. Everything runs on the player's user-interface thread.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "database/Doc.h"
#include "core/AppContext.h"
#include "core/Clock.h"
#include "plugin/Manifest.h"
#include "plugin/PlaybackMonitor.h"
#include "plugin/win/HostWindowHook.h"
#include "plugin/win/ListenSender.h"
#include "plugin/win/TimerGuard.h"
#include "plugin/win/WinNotices.h"
#include "plugin/win/WindowTimer.h"
#include "report/win/ProgramRunner.h"
#include "report/win/ShellOpen.h"
#include "report/win/ThreadTimer.h"
#include "ui/HelpText.h"
#include "ui/ProgressDlg.h"
// Record editing
#include "window/RecordDialogs.h"
#include "window/PlaytallyWindowHost.h"
#include "ui/SettingsSheet.h"

class RegistryProfile;
class WinMessages;
class CWinampLink;
class CPlaytallyDlg;

class CPlaytallyApp : public IViewHooks, public ISettingsHost, public IPlaytallyWindowHost, public IHelpTextSink {
public:
    // Timer ids on the player's main window.
    static constexpr UINT_PTR kAutoSaveTimerId = 1;

    // Library load: the logon name, the profile of this plug-in file, the last auto-publish time,
    // the suspend flag and the system version.
    explicit CPlaytallyApp(HINSTANCE module);
    ~CPlaytallyApp() override;
    CPlaytallyApp(const CPlaytallyApp&) = delete;
    CPlaytallyApp& operator=(const CPlaytallyApp&) = delete;

    // The record's entries.
    int init(HWND winampWindow);
    void config() override;
    void quit();

    // Uninstall from the player's preferences (the player deletes the file at its next start).
    // Asks whether the plays and settings go as well; on Yes removes the database file the
    // settings name and this plug-in's registry key, stops recording, and from then on writes
    // neither again, not even at quit. Returns whether they were removed.
    bool uninstall();


    // Run when the settings sheet closes: its pages save (unless it was cancelled), then the
    // settings are re-read and what depends on them is started or stopped.
    void applySettings() override;
    // Publishes the report now (the tray menu, the window and the Publish page call this).
    void publishReport() override;
    // Publishes when the auto-publish period has passed; (re)starts its 60 s check timer.
    void autoPublishCheck();
    // The plug-in's own text for the player's list, "<name> Plug-In (<file>)"; "" before init.
    const char* description() const { return description_; }

    CDoc& doc() override { return doc_; }
    CListenSender* listenSender() override { return &listen_; }
    AppContext& context() override { return context_; }
    const std::string& pluginFolder() const { return context_.pluginFolder; }
    TimeValue lastAutoPublish() const { return lastAutoPublish_; }

    // ---- Playtally window and tray icon ----
    // IViewHooks, answered for the real window.
    bool playtallyWindowExists() const override { return window_ != nullptr; }
    bool playtallyWindowVisible() const override;
    void refreshPlaytallyWindow() override;
    void destroyPlaytallyWindow() override;
    bool playtallyWindowInLogMode() const override;
    // Creates the window when there is none, then shows it in front.
    void showPlaytallyWindow();
    // The About box, one at a time.
    void showAbout() override;
    // The plug-in's web site (string 38) in the user's browser.
    void openWebsite() override;
    // Adds (false) or deletes (true) the tray icon.
    void setTrayIcon(bool remove);
    CPlaytallyDlg* playtallyWindow() { return window_.get(); }
    // ---- end of the Playtally window block ----

    // --- Settings sheet ---
    // Whether the settings sheet is shown (config brings it to the front instead of a second one).
    bool settingsSheetOpen() const override { return sheet_ != nullptr; }
    // Re-reads the General settings; the tray icon, the poll, the auto-publish check, the
    // auto-save timer and the suspend flag follow them.
    void applyGeneralSettings() override;
    // The template editor keeps its placement in the plug-in's profile.
    RegistryProfile* placements() override { return profile_.get(); }
    // Help texts of labels outside the Playtally window (the About box's link) go to the window.
    void ShowHelpText(HelpValue value) override;

    // For tests: where the system version comes from (GetVersionExA by default).
    using VersionSource = SystemVersion (*)();
    static void setVersionSource(VersionSource source);

private:
    void startServices(const GeneralSettings& settings);
    void restartAutoSave(const GeneralSettings& settings);
    void autoSaveTick();
    void readLastAutoPublish();
    void writeLastAutoPublish();
    void showFirstRunMessage();
    std::string moduleFolder() const;

    HINSTANCE module_;
    HWND winamp_ = nullptr;
    std::string moduleFile_;
    char description_[512] = {};
    bool windowsXP_ = false;
    TimeValue lastAutoPublish_ = 0;

    std::unique_ptr<RegistryProfile> profile_;
    std::unique_ptr<WinMessages> messages_;
    std::unique_ptr<CProgramRunner> runner_;
    WinNotices notices_;
    CProgressFactory progress_;
    CRecordDialogs recordDialogs_;  // record editing
    CShellOpen shell_;
    SystemClock clock_;
    AppContext context_;
    CDoc doc_;

    std::unique_ptr<CWinampLink> link_;
    std::unique_ptr<CWindowTimer> pollTimer_;
    std::unique_ptr<ITrackSink> sink_;
    // Sending the stored plays to a listen server (started with the database).
    CListenSender listen_{context_};
    std::unique_ptr<CPlaybackMonitor> monitor_;
    std::unique_ptr<CWindowTimer> autoSaveTimer_;
    std::unique_ptr<CThreadTimer> autoPublishTimer_;
    CHostWindowHook hook_;
    // The Playtally window and the tray icon.
    bool onHostMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    void runTrayMenu();
    std::unique_ptr<CPlaytallyDlg> window_;
    bool aboutOpen_ = false;

    // Each timer reports its first failure only.
    CTimerGuard pollGuard_{"playback poll"};
    CTimerGuard autoSaveGuard_{"automatic save"};
    CTimerGuard autoPublishGuard_{"auto-publish check"};
    // The settings sheet while it is shown.
    std::unique_ptr<CSettingsSheet> sheet_;
    bool suspendedAtStart_ = false;
    // Set once uninstall removed the plays and settings: nothing may write them back.
    bool dataRemoved_ = false;
};

// The one application object of the loaded plug-in (created on first use).
CPlaytallyApp& theApp();
// Destroys it (at quit's end or library unload).
void destroyTheApp();
