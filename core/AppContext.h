// What the portable parts of the plug-in reach the platform and each other through. The application
// object fills one in with the real Windows services; tests fill one in with fakes.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "core/Clock.h"
#include "core/FileSystem.h"
#include "core/Messages.h"
#include "core/PlayerMetadata.h"
#include "core/ProgramRunner.h"
#include "core/Progress.h"
#include "core/RecordDialogs.h"
#include "core/Settings.h"

class IProfile;

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

// The optional services' null objects: they do nothing and refuse what they are asked.
struct CNoViews : IViewHooks {
    bool playtallyWindowExists() const override { return false; }
    bool playtallyWindowVisible() const override { return false; }
    bool settingsSheetOpen() const override { return false; }
    void refreshPlaytallyWindow() override {}
    void destroyPlaytallyWindow() override {}
    bool playtallyWindowInLogMode() const override { return false; }
};
struct CNoProgress : IProgressFactory {
    std::unique_ptr<IProgress> create() override { return nullptr; }
};
struct CNoProgramRunner : IProgramRunner {
    void runProgram(const std::string&, unsigned) override {}
    void runProgram(const std::string&, const std::u16string&, const std::string&, unsigned) override {}
};
struct CNoRecordDialogs : IRecordDialogs {
    bool editPath(std::string&, std::u16string&, const std::string&, const std::u16string&) override { return false; }
    bool editTexts(TrackTexts&) override { return false; }
};
struct CNoPlayerMetadata : IPlayerMetadata {
    bool fileInfo(const std::string&, const std::u16string&, const char*, std::string&) override { return false; }
};

// An optional service: never null. It is its null object until a service is given (and again
// when the one given is null), so callers use it without asking whether there is one.
template <class Service, class None>
class OptionalService {
public:
    OptionalService() = default;
    OptionalService(const OptionalService&) = delete;
    OptionalService& operator=(const OptionalService&) = delete;
    OptionalService& operator=(Service* service) {
        service_ = service ? service : &none_;
        return *this;
    }
    Service* operator->() const { return service_; }
    Service& operator*() const { return *service_; }

private:
    None none_;
    Service* service_ = &none_;
};

// The services the application hands down: the required ones by reference, the optional ones as
// null objects until given.
struct AppContext {
    AppContext(IProfile& profile, IMessages& messages, IClock& clock, IFileSystem& files)
        : profile(profile), messages(messages), clock(clock), files(files) {}
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;

    IProfile& profile;
    IMessages& messages;
    IClock& clock;
    IFileSystem& files;
    OptionalService<IProgressFactory, CNoProgress> progress;  // none: no progress window is ever shown
    OptionalService<IProgramRunner, CNoProgramRunner> runner;  // none: nothing is started
    OptionalService<IViewHooks, CNoViews> views;               // none: no window exists
    // Record editing: the path dialog and the tag editor (none: every edit is cancelled).
    OptionalService<IRecordDialogs, CNoRecordDialogs> dialogs;
    // The player's description of files without ID3 tags (none: the player never describes one).
    OptionalService<IPlayerMetadata, CNoPlayerMetadata> player;
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
