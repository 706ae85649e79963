// What the portable parts of the plug-in reach the platform and each other through. The application
// object fills one in with the real Windows services; tests fill one in with fakes.
#pragma once
#include <cstdint>
#include <string>

#include "core/Settings.h"

class IProfile;
class IMessages;
class IClock;
class IFileSystem;
class IProgressFactory;
class IProgramRunner;
class IRecordDialogs;
class IPlayerMetadata;

// What the portable code asks of the plug-in's windows (which may not exist yet).
class IViewHooks {
public:
    virtual ~IViewHooks() = default;
    virtual bool playtallyWindowExists() const = 0;
    virtual bool playtallyWindowVisible() const = 0;
    virtual bool settingsSheetOpen() const = 0;
    // The Playtally window rebuilds its list (does nothing when there is no window).
    virtual void refreshPlaytallyWindow() = 0;
    // Saves the window's state, minimizes and destroys it (nothing when there is none).
    virtual void destroyPlaytallyWindow() = 0;
    // The Playtally window's mode: true when it shows the log (false when there is no window).
    virtual bool playtallyWindowInLogMode() const = 0;
};

// The database file's signature: the plug-in's file description and file version.
struct DatabaseSignature {
    std::string description;       // "Dozoderi Playtally WinAmp Plug-in"
    std::uint32_t versionHigh = 0; // 0x00010002 for 1.2
    std::uint32_t versionLow = 0;  // 0x00000000 for .0.0
};

struct AppContext {
    IProfile* profile = nullptr;
    IMessages* messages = nullptr;
    IClock* clock = nullptr;
    IFileSystem* files = nullptr;
    IProgressFactory* progress = nullptr;  // none: no progress window is ever shown
    IProgramRunner* runner = nullptr;
    IViewHooks* views = nullptr;           // none: no window exists
    // Record editing: the path dialog and the tag editor (none: every edit is cancelled).
    IRecordDialogs* dialogs = nullptr;
    // The player's description of files without ID3 tags (none: the player is never asked).
    IPlayerMetadata* player = nullptr;

    std::string userName = "unknown_user";
    std::string pluginFolder;  // the plug-in file's folder, without the last backslash
    DatabaseSignature signature;

    // The application's current copy of the General settings (read by the grouping test).
    GeneralSettings current;

    // Reads the General settings afresh, without touching the current copy.
    GeneralSettings readSettings() const;
    // Overwrites the current copy from the profile and returns it.
    const GeneralSettings& reloadSettings();
};
