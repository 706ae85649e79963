#include "core/Settings.h"

#include <ctime>
#include <iterator>

#include "core/Profile.h"
#include "core/SettingsTable.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {

#ifdef _WIN32
const char kPathSeparator = '\\';
#else
const char kPathSeparator = '/';
#endif

}  // namespace

FieldFlags readFlagList(const std::string& text) {
    FieldFlags flags{};
    for (int i = 0; i < kFieldCount; ++i) {
        std::size_t pos = static_cast<std::size_t>(2 * i);
        flags[i] = pos < text.size() && text[pos] == '1';
    }
    return flags;
}

std::string writeFlagList(const FieldFlags& flags) {
    std::string text;
    for (bool f : flags) text += f ? "1," : "0,";
    return text;
}

std::string sectionGeneral() { return loadString(1014); }
std::string sectionPublish() { return loadString(18); }
std::string sectionMain() { return loadString(25); }
std::string sectionDialog() { return loadString(17); }

std::string defaultDatabaseName(const std::string& userName) { return userName + "'s Playtally database.dat"; }

namespace {

std::string databaseNameFor(const SettingsDefaults& d) { return defaultDatabaseName(d.userName); }
std::string defaultHeader(const SettingsDefaults&) { return loadString(77) + loadString(80); }
std::string defaultItem(const SettingsDefaults&) { return loadString(78); }
std::string defaultFooter(const SettingsDefaults&) { return loadString(79); }

std::tm localTimeOf(TimeValue now) {
    std::tm local{};
    std::time_t t = now;
#ifdef _WIN32
    if (localtime_s(&local, &t) != 0) local = std::tm{};
#else
    if (!localtime_r(&t, &local)) local = std::tm{};
#endif
    return local;
}
int currentHour(const SettingsDefaults& d) { return localTimeOf(d.now).tm_hour; }
int currentMinute(const SettingsDefaults& d) { return localTimeOf(d.now).tm_min; }

using K = ControlKind;
constexpr PageControl onGeneral(int id, ControlKind kind, int bit = 0) { return {IDD_GENERAL, id, kind, bit}; }
constexpr PageControl onPublish(int id, ControlKind kind, int bit = 0) { return {IDD_PUBLISH, id, kind, bit}; }
constexpr SettingRange kChoiceOfFive{0, 4, OutOfRange::Default};
constexpr SettingRange kLowByte{0, 0xFF, OutOfRange::Masked};
// A size below one would empty the database at the next save.
constexpr SettingRange kDatabaseSize{1, 100000, OutOfRange::DefaultBelow};

// How a setting is added: a member in its record (Settings.h) and one line here, in the order the
// page takes its controls (the first value a control refuses stops the taking there). The line
// names the page that shows and stores it (its template id) and the control that edits it; the
// template gets the control, and the page's control table its tooltip and what a change does.
// Reading covers every line; a page exchanges (ui/SettingsExchange.h) and writes exactly the lines
// that name it. So a General setting on a page of its own, say "ReadOtherTags" (default 1) on an
// "Extras" page, is
//   {"ReadOtherTags", &GeneralSettings::ReadOtherTags, 1, {}, {IDD_EXTRAS, IDC_EXTRAS_OTHERTAGS, K::CheckBox}},
// and that page loads the General settings, exchanges and writes them with its own template id.
// Keys, defaults and ranges are the stored format: never change those of an existing setting.
const SettingLine<GeneralSettings> kGeneralLines[] = {
    // key                    member                                   default                   range          control
    {"NoLarger",              &GeneralSettings::NoLarger,              1,                        {},            onGeneral(IDC_GEN_NOLARGER, K::CheckBox)},
    {"DBPath",                &GeneralSettings::DBPath,                databaseNameFor,          {},            onGeneral(IDC_GEN_DBPATH, K::Edit)},
    {"DateFormat",            &GeneralSettings::DateFormat,            "%m/%d/%y %H:%M",         {},            onGeneral(IDC_GEN_DATEFORMAT, K::Edit)},
    {"DBSize",                &GeneralSettings::DBSize,                1000,                     kDatabaseSize, onGeneral(IDC_GEN_DBSIZE, K::CountEdit)},
    {"Disable",               &GeneralSettings::Disable,               0,                        {},            onGeneral(IDC_GEN_DISABLE, K::CheckBox)},
    {"ShowIcon",              &GeneralSettings::ShowIcon,              1,                        {},            onGeneral(IDC_GEN_SHOWICON, K::CheckBox)},
    {"NotStore",              &GeneralSettings::NotStore,              0,                        {},            onGeneral(IDC_GEN_NOTSTORE, K::CheckBox)},
    {"StoreAfterIntervalSec", &GeneralSettings::StoreAfterIntervalSec, 30,                       {1, 1000},     onGeneral(IDC_GEN_STOREAFTER, K::Edit)},
    {"AutoSave",              &GeneralSettings::AutoSave,              30,                       {0, 1000},     onGeneral(IDC_GEN_AUTOSAVE, K::Edit)},
    {"RefreshOnEachTrack",    &GeneralSettings::RefreshOnEachTrack,    0,                        {},            onGeneral(IDC_GEN_REFRESH, K::CheckBox)},
    {"ReadOtherTags",         &GeneralSettings::ReadOtherTags,         1,                        {},            {IDD_EXTRAS, IDC_EXTRAS_READ_OTHER_TAGS, K::CheckBox}},
    // Edited through the fields choosers; the defaults: artist and title required, grouped by
    // artist, title and album.
    {"DoNotStoreFields",      &GeneralSettings::DoNotStoreFields,      "0,0,0,0,0,1,1,0,0,0,0,", {},            onGeneral(0, K::None)},
    {"GroupPlaytallyBy",      &GeneralSettings::GroupPlaytallyBy,      "0,0,0,0,0,1,1,1,0,0,0,", {},            onGeneral(0, K::None)},
    // Edited through its own dialog, opened from the Extras page.
    {"KeepOutOfRankings",     &GeneralSettings::KeepOutOfRankings,     "",                       {},            {IDD_EXTRAS, 0, K::None}},
};

// As above. Of "WinStates" only the low 8 bits are used: bit 0 hides the program run after
// publishing, bit 1 waits for it, bits 2 and 3 do the same for the program run before.
const SettingLine<PublishSettings> kPublishLines[] = {
    // key                member                               default             range          control
    {"AutoPublish",       &PublishSettings::AutoPublish,       0,                  {},            onPublish(IDC_PUB_AUTOPUBLISH, K::CheckBox)},
    {"Every",             &PublishSettings::Every,             2,                  kChoiceOfFive, onPublish(IDC_PUB_EVERY, K::DropList)},
    {"Footer",            &PublishSettings::Footer,            defaultFooter,      {},            onPublish(IDC_PUB_FOOTER, K::Edit)},
    {"Header",            &PublishSettings::Header,            defaultHeader,      {},            onPublish(IDC_PUB_HEADER, K::Edit)},
    {"Item",              &PublishSettings::Item,              defaultItem,        {},            onPublish(IDC_PUB_ITEM, K::Edit)},
    {"PublishFile",       &PublishSettings::PublishFile,       "MyPlaytally.html", {},            onPublish(IDC_PUB_FILE, K::Edit)},
    {"RunAfter",          &PublishSettings::RunAfter,          "",                 {},            onPublish(IDC_PUB_AFTER, K::Edit)},
    {"RunBefore",         &PublishSettings::RunBefore,         "",                 {},            onPublish(IDC_PUB_BEFORE, K::Edit)},
    {"IsTop",             &PublishSettings::IsTop,             0,                  {},            onPublish(IDC_PUB_TOP, K::CheckBox)},
    {"TopCount",          &PublishSettings::TopCount,          20,                 {},            onPublish(IDC_PUB_TOPCOUNT, K::Edit)},
    {"PublishLast",       &PublishSettings::PublishLast,       3,                  kChoiceOfFive, onPublish(IDC_PUB_LAST, K::DropList)},
    {"Log",               &PublishSettings::Log,               0,                  {},            onPublish(IDC_PUB_LOG, K::CheckBox)},
    {"OpenPublishedFile", &PublishSettings::OpenPublishedFile, 1,                  {},            onPublish(IDC_PUB_OPEN, K::CheckBox)},
    {"StatisticsPage",    &PublishSettings::StatisticsPage,    1,                  {},            onPublish(IDC_PUB_STATS, K::CheckBox)},
    {"StatisticsFile",    &PublishSettings::StatisticsFile,    "MyPlaytallyStatistics.html", {},  onPublish(IDC_PUB_STATSFILE, K::Edit)},
    {"WinStates",         &PublishSettings::WinStates,         0,                  kLowByte,      onPublish(IDC_PUB_AFTER_WAIT, K::CheckBox, 2)},
    {"WinStates",         &PublishSettings::WinStates,         0,                  kLowByte,      onPublish(IDC_PUB_BEFORE_HIDE, K::CheckBox, 4)},
    {"WinStates",         &PublishSettings::WinStates,         0,                  kLowByte,      onPublish(IDC_PUB_AFTER_HIDE, K::CheckBox, 1)},
    {"WinStates",         &PublishSettings::WinStates,         0,                  kLowByte,      onPublish(IDC_PUB_BEFORE_WAIT, K::CheckBox, 8)},
    // The time picker is not part of the page's data exchange: putting the other values back
    // into their controls (after a browse) leaves the time the user set.
    {"Hour",              &PublishSettings::Hour,              currentHour,        {},            onPublish(IDC_PUB_TIME, K::TimeHour)},
    {"Minute",            &PublishSettings::Minute,            currentMinute,      {},            onPublish(IDC_PUB_TIME, K::TimeMinute)},
};

const SettingsTable<GeneralSettings> kGeneralTable{sectionGeneral, kGeneralLines, std::size(kGeneralLines)};
const SettingsTable<PublishSettings> kPublishTable{sectionPublish, kPublishLines, std::size(kPublishLines)};

}  // namespace

const SettingsTable<GeneralSettings>& generalSettingsTable() { return kGeneralTable; }
const SettingsTable<PublishSettings>& publishSettingsTable() { return kPublishTable; }

GeneralSettings loadGeneralSettings(IProfile& profile, const std::string& userName) {
    return readSettings(profile, kGeneralTable, SettingsDefaults{userName, 0});
}

PublishSettings loadPublishSettings(IProfile& profile, TimeValue now) {
    return readSettings(profile, kPublishTable, SettingsDefaults{"", now});
}

std::string resolvePluginPath(const std::string& path, const std::string& pluginFolder) {
    // A drive ("C:name") or any folder separator makes it a path of its own.
    if (path.empty() || path.find_first_of("\\/:") != std::string::npos) return path;
    return pluginFolder + kPathSeparator + path;
}
