// The General and Publish settings records and the Playtally window's state (their keys, defaults
// and ranges are the lines of one table per section, Settings.cpp), flag lists, the profile
// sections and plug-in paths.
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
// A resizable dialog keeps its window's placement (the bytes of a WINDOWPLACEMENT) as one binary
// value of its own section; the template editor's is "HtmlEditDlg".
std::string sectionTemplateEditor();
constexpr const char* kPlacementKey = "WindowPlacement";

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

// What the plug-in keeps for itself in the section "Main" beside the messages' "do not show
// again" answers (each under its message's key): whether the welcome is still to be shown, and
// the last automatic publication, local time to the minute.
struct MainSettings {
    bool FirstTime{};
    int PublishedYear{}, PublishedMonth{}, PublishedDay{}, PublishedHour{}, PublishedMinute{};
};

// The Playtally window's state, kept from one session to the next: its mode, period, columns and
// their widths, and its place on the screen. One member per key of the same name.
struct WindowSettings {
    int TimePeriod{};    // 0: between the two dates, 1: the "Last:" span
    int LastCombo{};     // the "Last:" span, the period rule's index
    bool ShowTop{};
    int TopCnt{};
    int RankBy{};        // 0: by hits, 1: by time heard
    // The column switches, in column order (kColumnSwitches).
    bool Num{}, ShowDate{}, Hits{}, Len{}, LenPlayed{}, Artist{}, Title{}, Album{}, Year{}, Genre{}, Comment{};
    bool First{}, Last{}, Heard{};
    bool SelectedTab{};  // the log, not the playtally
    int SYear{}, SMonth{}, SDay{};  // "Since:"
    int TYear{}, TMonth{}, TDay{};  // "Till:"
    int CX{}, CY{}, Top{}, Left{};  // the window's normal place
    std::string ListWidth;   // the widths of the eleven field columns: "25,60,...,"
    std::string TimesWidth;  // the widths of First, Last and Heard
};

// The member that holds each column's switch, by column.
constexpr bool WindowSettings::*kColumnSwitches[kColumnCount] = {
    &WindowSettings::Num,    &WindowSettings::ShowDate, &WindowSettings::Hits,    &WindowSettings::Len,
    &WindowSettings::LenPlayed, &WindowSettings::Artist, &WindowSettings::Title,  &WindowSettings::Album,
    &WindowSettings::Year,   &WindowSettings::Genre,    &WindowSettings::Comment, &WindowSettings::First,
    &WindowSettings::Last,   &WindowSettings::Heard,
};

// The Playtally window's smallest size, which is also its size for a fresh user.
constexpr int kWindowMinWidth = 353, kWindowMinHeight = 500;

// The tables that declare each setting of the four sections (SettingsTable.h).
template <class Record>
struct SettingsTable;
const SettingsTable<GeneralSettings>& generalSettingsTable();
const SettingsTable<PublishSettings>& publishSettingsTable();
const SettingsTable<WindowSettings>& windowSettingsTable();
const SettingsTable<MainSettings>& mainSettingsTable();

// The default database file name for a logon name: "<user>'s Playtally database.dat".
std::string defaultDatabaseName(const std::string& userName);

// Reads every key of the section, each absent or unreadable value giving its default.
GeneralSettings loadGeneralSettings(IProfile& profile, const std::string& userName);
// `now` gives the defaults of "Hour" and "Minute" (the current local time).
PublishSettings loadPublishSettings(IProfile& profile, TimeValue now);

MainSettings loadMainSettings(IProfile& profile);
// `now` gives the default "Since:" (yesterday) and "Till:" (today); the screen's size the default
// place, in the middle of it.
WindowSettings loadWindowSettings(IProfile& profile, TimeValue now, int screenWidth, int screenHeight);

// A non-empty path without a folder part is taken relative to the plug-in folder.
std::string resolvePluginPath(const std::string& path, const std::string& pluginFolder);
