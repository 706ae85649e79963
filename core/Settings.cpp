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

void readSettingValue(IProfile& profile, const std::string& section, const char* key, const SettingDefault& def,
                      const SettingRange& r, const SettingsDefaults& defaults, const SettingTarget& value) {
    if (value.flag) *value.flag = profile.getInt(section, key, def.numberFor(defaults)) != 0;
    if (value.text) *value.text = profile.getString(section, key, def.textFor(defaults));
    if (value.fields) *value.fields = readFlagList(profile.getString(section, key, def.textFor(defaults)));
    if (!value.number) return;
    const int fallback = def.numberFor(defaults);
    const int stored = profile.getInt(section, key, fallback);
    switch (r.onRead) {
    case OutOfRange::Kept: *value.number = stored; break;
    case OutOfRange::DefaultBelow: *value.number = stored < r.min ? fallback : stored; break;
    case OutOfRange::Default: *value.number = stored < r.min || stored > r.max ? fallback : stored; break;
    case OutOfRange::Masked: *value.number = stored & r.max; break;
    }
}

void writeSettingValue(IProfile& profile, const std::string& section, const char* key, const SettingSource& value) {
    if (value.flag) profile.writeInt(section, key, *value.flag ? 1 : 0);
    if (value.number) profile.writeInt(section, key, *value.number);
    if (value.text) profile.writeString(section, key, *value.text);
    if (value.fields) profile.writeString(section, key, writeFlagList(*value.fields));
}

std::string sectionGeneral() { return loadString(IDS_SECTION_GENERAL); }
std::string sectionPublish() { return loadString(IDS_SETTINGS_CAPTION); }
std::string sectionMain() { return loadString(IDS_SECTION_MAIN); }
std::string sectionDialog() { return loadString(IDS_SECTION_DIALOG); }
std::string sectionTemplateEditor() { return "HtmlEditDlg"; }

std::string defaultDatabaseName(const std::string& userName) { return userName + "'s Playtally database.dat"; }

namespace {

std::string databaseNameFor(const SettingsDefaults& d) { return defaultDatabaseName(d.userName); }
std::string defaultHeader(const SettingsDefaults&) { return loadString(IDS_DEFAULT_HEADER) + loadString(IDS_DEFAULT_HEADER_END); }
std::string defaultItem(const SettingsDefaults&) { return loadString(IDS_DEFAULT_ITEM); }
std::string defaultFooter(const SettingsDefaults&) { return loadString(IDS_DEFAULT_FOOTER); }

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
// A fresh user's "Since:" is yesterday, "Till:" today.
enum DayPart { kYear, kMonth, kDay };
template <int daysBack, DayPart part>
int dayOf(const SettingsDefaults& d) {
    const std::tm day = localTimeOf(d.now - daysBack * 86400);
    return part == kYear ? day.tm_year + 1900 : part == kMonth ? day.tm_mon + 1 : day.tm_mday;
}
// A fresh user's window stands in the middle of the screen.
int centredLeft(const SettingsDefaults& d) { return d.screenWidth / 2 - 176; }
int centredTop(const SettingsDefaults& d) { return d.screenHeight / 2 - 250; }

using K = ControlKind;
constexpr PageControl onGeneral(int id, ControlKind kind, int bit = 0) { return {IDD_GENERAL, id, kind, bit}; }
constexpr PageControl onPublish(int id, ControlKind kind, int bit = 0) { return {IDD_PUBLISH, id, kind, bit}; }
constexpr PageControl onWindow(int id, ControlKind kind) { return {IDD_PLAYTALLY, id, kind, 0}; }
constexpr PageControl onWindow() { return {IDD_PLAYTALLY, 0, ControlKind::None, 0}; }
constexpr PageControl placeOfWindow() { return {IDD_PLAYTALLY, 0, ControlKind::Place, 0}; }
constexpr SettingRange kChoiceOfFive{0, 4, OutOfRange::Default};
constexpr SettingRange kChoiceOfTwo{0, 1, OutOfRange::Default};
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

// The Playtally window's state, in the order the window writes it. The window exchanges its
// controls itself; a line names the control that shows the value, a date's part the picker, and
// the window's place and the column widths are written only when they are known.
const SettingLine<WindowSettings> kWindowLines[] = {
    // key          member                       default          range              control
    {"TimePeriod",  &WindowSettings::TimePeriod, 1,               kChoiceOfTwo,      onWindow()},
    {"LastCombo",   &WindowSettings::LastCombo,  3,               kChoiceOfFive,     onWindow(IDC_PT_LAST_COMBO, K::DropList)},
    {"ShowTop",     &WindowSettings::ShowTop,    1,               {},                onWindow(IDC_PT_SHOW_TOP, K::CheckBox)},
    {"TopCnt",      &WindowSettings::TopCnt,     100,             {1, INT_MAX, OutOfRange::DefaultBelow}, onWindow(IDC_PT_TOP_COUNT, K::CountEdit)},
    {"RankBy",      &WindowSettings::RankBy,     0,               kChoiceOfTwo,      onWindow(IDC_PT_RANK_BY, K::DropList)},
    {"Num",         &WindowSettings::Num,        1,               {},                onWindow(IDC_PT_SHOW_NUMBER, K::CheckBox)},
    {"ShowDate",    &WindowSettings::ShowDate,   0,               {},                onWindow(IDC_PT_SHOW_DATE, K::CheckBox)},
    {"Hits",        &WindowSettings::Hits,       0,               {},                onWindow(IDC_PT_SHOW_HITS, K::CheckBox)},
    {"Len",         &WindowSettings::Len,        0,               {},                onWindow(IDC_PT_SHOW_LENGTH, K::CheckBox)},
    {"LenPlayed",   &WindowSettings::LenPlayed,  0,               {},                onWindow(IDC_PT_SHOW_PLAYED, K::CheckBox)},
    {"Artist",      &WindowSettings::Artist,     1,               {},                onWindow(IDC_PT_SHOW_ARTIST, K::CheckBox)},
    {"Title",       &WindowSettings::Title,      1,               {},                onWindow(IDC_PT_SHOW_TITLE, K::CheckBox)},
    {"Album",       &WindowSettings::Album,      0,               {},                onWindow(IDC_PT_SHOW_ALBUM, K::CheckBox)},
    {"Year",        &WindowSettings::Year,       0,               {},                onWindow(IDC_PT_SHOW_YEAR, K::CheckBox)},
    {"Genre",       &WindowSettings::Genre,      0,               {},                onWindow(IDC_PT_SHOW_GENRE, K::CheckBox)},
    {"Comment",     &WindowSettings::Comment,    0,               {},                onWindow(IDC_PT_SHOW_COMMENT, K::CheckBox)},
    {"First",       &WindowSettings::First,      0,               {},                onWindow(IDC_PT_SHOW_FIRST, K::CheckBox)},
    {"Last",        &WindowSettings::Last,       0,               {},                onWindow(IDC_PT_SHOW_LAST, K::CheckBox)},
    {"Heard",       &WindowSettings::Heard,      0,               {},                onWindow(IDC_PT_SHOW_HEARD, K::CheckBox)},
    {"SelectedTab", &WindowSettings::SelectedTab, 0,              {},                onWindow()},
    {"SYear",       &WindowSettings::SYear,      dayOf<1, kYear>, {},                onWindow(IDC_PT_SINCE, K::DatePart)},
    {"SMonth",      &WindowSettings::SMonth,     dayOf<1, kMonth>, {},               onWindow(IDC_PT_SINCE, K::DatePart)},
    {"SDay",        &WindowSettings::SDay,       dayOf<1, kDay>,  {},                onWindow(IDC_PT_SINCE, K::DatePart)},
    {"TYear",       &WindowSettings::TYear,      dayOf<0, kYear>, {},                onWindow(IDC_PT_TILL, K::DatePart)},
    {"TMonth",      &WindowSettings::TMonth,     dayOf<0, kMonth>, {},               onWindow(IDC_PT_TILL, K::DatePart)},
    {"TDay",        &WindowSettings::TDay,       dayOf<0, kDay>,  {},                onWindow(IDC_PT_TILL, K::DatePart)},
    {"CX",          &WindowSettings::CX,         kWindowMinWidth, {},                placeOfWindow()},
    {"CY",          &WindowSettings::CY,         kWindowMinHeight, {},               placeOfWindow()},
    {"Top",         &WindowSettings::Top,        centredTop,      {},                placeOfWindow()},
    {"Left",        &WindowSettings::Left,       centredLeft,     {},                placeOfWindow()},
    // Eleven widths in the old form, then those of the three columns added later.
    {"ListWidth",   &WindowSettings::ListWidth,  "",              {},                onWindow(IDC_PT_LIST, K::ListColumns)},
    {"TimesWidth",  &WindowSettings::TimesWidth, "",              {},                onWindow(IDC_PT_LIST, K::ListColumns)},
};

// No page edits these. A fresh user has never seen the welcome and was last published in 1980.
constexpr PageControl kNoControl{};
const SettingLine<MainSettings> kMainLines[] = {
    // key                   member                          default  range  control
    {"First Time",           &MainSettings::FirstTime,       1,       {},    kNoControl},
    {"Year (AutoPublish)",   &MainSettings::PublishedYear,   1980,    {},    kNoControl},
    {"Month (AutoPublish)",  &MainSettings::PublishedMonth,  1,       {},    kNoControl},
    {"Day (AutoPublish)",    &MainSettings::PublishedDay,    1,       {},    kNoControl},
    {"Hour (AutoPublish)",   &MainSettings::PublishedHour,   1,       {},    kNoControl},
    {"Minute (AutoPublish)", &MainSettings::PublishedMinute, 1,       {},    kNoControl},
};

const SettingsTable<GeneralSettings> kGeneralTable{sectionGeneral, kGeneralLines, std::size(kGeneralLines)};
const SettingsTable<PublishSettings> kPublishTable{sectionPublish, kPublishLines, std::size(kPublishLines)};
const SettingsTable<WindowSettings> kWindowTable{sectionDialog, kWindowLines, std::size(kWindowLines)};
const SettingsTable<MainSettings> kMainTable{sectionMain, kMainLines, std::size(kMainLines)};

}  // namespace

const SettingsTable<GeneralSettings>& generalSettingsTable() { return kGeneralTable; }
const SettingsTable<PublishSettings>& publishSettingsTable() { return kPublishTable; }
const SettingsTable<WindowSettings>& windowSettingsTable() { return kWindowTable; }
const SettingsTable<MainSettings>& mainSettingsTable() { return kMainTable; }

MainSettings loadMainSettings(IProfile& profile) { return readSettings(profile, kMainTable, SettingsDefaults{}); }

GeneralSettings loadGeneralSettings(IProfile& profile, const std::string& userName) {
    return readSettings(profile, kGeneralTable, SettingsDefaults{userName, 0});
}

PublishSettings loadPublishSettings(IProfile& profile, TimeValue now) {
    return readSettings(profile, kPublishTable, SettingsDefaults{"", now});
}

WindowSettings loadWindowSettings(IProfile& profile, TimeValue now, int screenWidth, int screenHeight) {
    return readSettings(profile, kWindowTable, SettingsDefaults{"", now, screenWidth, screenHeight});
}

std::string resolvePluginPath(const std::string& path, const std::string& pluginFolder) {
    // A drive ("C:name") or any folder separator makes it a path of its own.
    if (path.empty() || path.find_first_of("\\/:") != std::string::npos) return path;
    return pluginFolder + kPathSeparator + path;
}
