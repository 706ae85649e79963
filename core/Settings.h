// The General and Publish settings records (their keys, defaults and ranges are the lines of one
// table per section, Settings.cpp), flag lists, the profile sections and plug-in paths.
#pragma once
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

// The records of the two sections, one member per key of the same name. Their keys, defaults,
// ranges and the controls that edit them are the lines of the tables declared below; a record
// made with {} holds zeros, not the defaults (those come from loading).
struct GeneralSettings {
    bool Disable{};
    bool NotStore{};
    bool ShowIcon{};
    std::string DBPath;
    bool NoLarger{};
    int DBSize{};
    std::string DateFormat;
    int StoreAfterIntervalSec{};
    int AutoSave{};
    bool RefreshOnEachTrack{};
    // ID3v2 tags are read, and the player asked about files without ID3 tags; 0 keeps the ID3v1
    // tag as the only source.
    bool ReadOtherTags{};
    FieldFlags DoNotStoreFields{};
    FieldFlags GroupPlaytallyBy{};
    // The rules that keep plays out of the rankings, in their stored form (database/PlayExclusion.h).
    std::string KeepOutOfRankings;
};

struct PublishSettings {
    std::string PublishFile;
    std::string Header;
    std::string Item;
    std::string Footer;
    int PublishLast{};
    bool Log{};
    bool IsTop{};
    int TopCount{};
    bool OpenPublishedFile{};
    bool AutoPublish{};
    int Every{};
    int Hour{};
    int Minute{};
    std::string RunBefore;
    std::string RunAfter;
    int WinStates{};
    // The statistics page, written beside the report whenever the report is.
    bool StatisticsPage{};
    std::string StatisticsFile;
};

// The tables that declare each setting of the two sections (SettingsTable.h).
template <class Record>
struct SettingsTable;
const SettingsTable<GeneralSettings>& generalSettingsTable();
const SettingsTable<PublishSettings>& publishSettingsTable();

// The default database file name for a logon name: "<user>'s Playtally database.dat".
std::string defaultDatabaseName(const std::string& userName);

// Reads every key of the section, each absent or unreadable value giving its default.
GeneralSettings loadGeneralSettings(IProfile& profile, const std::string& userName);
// `now` gives the defaults of "Hour" and "Minute" (the current local time).
PublishSettings loadPublishSettings(IProfile& profile, TimeValue now);

// A non-empty path without a folder part is taken relative to the plug-in folder.
std::string resolvePluginPath(const std::string& path, const std::string& pluginFolder);
