// The General and Publish settings with their keys and defaults, flag lists, and plug-in paths.
#pragma once
#include <array>
#include <string>

#include "core/Clock.h"
#include "core/FieldId.h"

class IProfile;


// Flag lists are stored as "1," or "0," per field; missing positions read as clear.
FieldFlags readFlagList(const std::string& text);
std::string writeFlagList(const FieldFlags& flags);

// Profile sections, by their string-table texts.
std::string sectionGeneral();   // "General"
std::string sectionPublish();   // "Zudazide Playtally - Settings"
std::string sectionMain();      // "Main"
std::string sectionDialog();    // "Playtally Dialog"

struct GeneralSettings {
    bool Disable = false;
    bool NotStore = false;
    bool ShowIcon = true;
    std::string DBPath;
    bool NoLarger = true;
    int DBSize = 1000;
    std::string DateFormat = "%m/%d/%y %H:%M";
    int StoreAfterIntervalSec = 30;
    int AutoSave = 30;
    bool RefreshOnEachTrack = false;
    // ID3v2 tags are read, and the player asked about files without ID3 tags; 0 keeps the ID3v1
    // tag as the only source.
    bool ReadOtherTags = true;
    FieldFlags DoNotStoreFields{};
    FieldFlags GroupPlaytallyBy{};
};

struct PublishSettings {
    std::string PublishFile = "MyPlaytally.html";
    std::string Header;
    std::string Item;
    std::string Footer;
    int PublishLast = 3;
    bool Log = false;
    bool IsTop = false;
    int TopCount = 20;
    bool OpenPublishedFile = true;
    bool AutoPublish = false;
    int Every = 2;
    int Hour = 0;
    int Minute = 0;
    std::string RunBefore;
    std::string RunAfter;
    int WinStates = 0;
};

// The default database file name for a logon name: "<user>'s Playtally database.dat".
std::string defaultDatabaseName(const std::string& userName);

// Reads every key of the section, each absent or unreadable value giving its default.
GeneralSettings loadGeneralSettings(IProfile& profile, const std::string& userName);
// `now` gives the defaults of "Hour" and "Minute" (the current local time).
PublishSettings loadPublishSettings(IProfile& profile, TimeValue now);

// A non-empty path without a folder part is taken relative to the plug-in folder.
std::string resolvePluginPath(const std::string& path, const std::string& pluginFolder);
