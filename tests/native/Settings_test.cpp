#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/Profile.h"
#include "core/Settings.h"
#include "core/SettingsTable.h"

TEST(FlagList, ReadsPairsAndTreatsMissingPositionsAsClear) {
    struct Case {
        const char* text;
        FieldFlags expected;
    } cases[] = {
        {"1,", {true}},
        {"", {}},
        {"0,0,0,0,0,1,1,0,0,0,0,", {false, false, false, false, false, true, true}},
        {"1,1,1,1,1,1,1,1,1,1,1,", {true, true, true, true, true, true, true, true, true, true, true}},
        {"1x0y1", {true, false, true}},       // only every other character counts
        {"11111", {true, true, true, false}}, // positions 0, 2, 4
    };
    for (const Case& c : cases) EXPECT_EQ(readFlagList(c.text), c.expected) << c.text;
}

TEST(FlagList, WritesTwentyTwoCharactersThatReadBack) {
    FieldFlags f{};
    f[5] = f[6] = true;
    EXPECT_EQ(writeFlagList(f), "0,0,0,0,0,1,1,0,0,0,0,");
    EXPECT_EQ(readFlagList(writeFlagList(f)), f);
}

TEST(GeneralSettings, DefaultsForAFreshUser) {
    MemoryProfile profile;
    GeneralSettings g = loadGeneralSettings(profile, "guest");
    EXPECT_FALSE(g.Disable);
    EXPECT_FALSE(g.NotStore);
    EXPECT_TRUE(g.ShowIcon);
    EXPECT_EQ(g.DBPath, "guest's Playtally database.dat");
    EXPECT_TRUE(g.NoLarger);
    EXPECT_EQ(g.DBSize, 1000);
    EXPECT_EQ(g.DateFormat, "%m/%d/%y %H:%M");
    EXPECT_EQ(g.StoreAfterIntervalSec, 30);
    EXPECT_EQ(g.AutoSave, 30);
    EXPECT_FALSE(g.RefreshOnEachTrack);
    EXPECT_EQ(writeFlagList(g.DoNotStoreFields), "0,0,0,0,0,1,1,0,0,0,0,");
    EXPECT_EQ(writeFlagList(g.GroupPlaytallyBy), "0,0,0,0,0,1,1,1,0,0,0,");
    EXPECT_EQ(profile.writes(), 0);  // reading never writes
}

TEST(GeneralSettings, StoredValuesAndOddValues) {
    MemoryProfile profile;
    const std::string s = sectionGeneral();
    profile.writeInt(s, "Disable", 7);        // any non-zero number is set
    profile.writeString(s, "NotStore", "1");  // a text where a number belongs reads as the default
    profile.writeInt(s, "DBSize", 0);         // would empty the database at the next save
    profile.writeString(s, "DBPath", "D:\\music\\my.dat");
    profile.writeString(s, "GroupPlaytallyBy", "1,");
    GeneralSettings g = loadGeneralSettings(profile, "x");
    EXPECT_TRUE(g.Disable);
    EXPECT_FALSE(g.NotStore);
    EXPECT_EQ(g.DBSize, 1000);
    EXPECT_EQ(g.DBPath, "D:\\music\\my.dat");
    EXPECT_EQ(g.GroupPlaytallyBy, (FieldFlags{true}));
}

TEST(PublishSettings, DefaultsAndChoicesOutOfRange) {
    MemoryProfile profile;
    PublishSettings p = loadPublishSettings(profile, 3600 * 5 + 60 * 7);  // 05:07 UTC
    EXPECT_EQ(p.PublishFile, "MyPlaytally.html");
    EXPECT_EQ(p.PublishLast, 3);
    EXPECT_EQ(p.Every, 2);
    EXPECT_EQ(p.TopCount, 20);
    EXPECT_TRUE(p.OpenPublishedFile);
    EXPECT_FALSE(p.AutoPublish);
    EXPECT_EQ(p.Hour, 5);
    EXPECT_EQ(p.Minute, 7);
    EXPECT_EQ(p.WinStates, 0);

    profile.writeInt(sectionPublish(), "Every", 9);
    profile.writeInt(sectionPublish(), "PublishLast", -1);
    profile.writeInt(sectionPublish(), "WinStates", 0x1F0F);
    p = loadPublishSettings(profile, 0);
    EXPECT_EQ(p.Every, 2);
    EXPECT_EQ(p.PublishLast, 3);
    EXPECT_EQ(p.WinStates, 0x0F);  // only the low 8 bits are used
}

// The window's state for a fresh user: yesterday to today (a local day, across a month's end
// here), the smallest size in the middle of the screen; and what odd stored choices read as.
TEST(WindowSettings, DefaultsAndOddStoredValues) {
    MemoryProfile profile;
    const TimeValue firstOfMarch = 1772366400;  // 2026-03-01 12:00 UTC (the tests run in UTC)
    WindowSettings w = loadWindowSettings(profile, firstOfMarch, 1024, 768);
    EXPECT_EQ((std::vector<int>{w.SYear, w.SMonth, w.SDay, w.TYear, w.TMonth, w.TDay}),
              (std::vector<int>{2026, 2, 28, 2026, 3, 1}));
    EXPECT_EQ((std::vector<int>{w.CX, w.CY, w.Left, w.Top}), (std::vector<int>{353, 500, 336, 134}));
    std::string shown;
    for (int c = 0; c < kColumnCount; ++c) shown += w.*kColumnSwitches[c] ? kColumnNames[c] + std::string(" ") : "";
    EXPECT_EQ(shown, "# Artist Title ");
    EXPECT_EQ(profile.writes(), 0);

    struct Case {
        const char* key;
        int stored;
        int WindowSettings::*member;
        int read;
    } cases[] = {
        {"TimePeriod", 0, &WindowSettings::TimePeriod, 0}, {"TimePeriod", 5, &WindowSettings::TimePeriod, 1},
        {"LastCombo", 4, &WindowSettings::LastCombo, 4},   {"LastCombo", -1, &WindowSettings::LastCombo, 3},
        {"LastCombo", 5, &WindowSettings::LastCombo, 3},   {"RankBy", 1, &WindowSettings::RankBy, 1},
        {"RankBy", 2, &WindowSettings::RankBy, 0},         {"TopCnt", 0, &WindowSettings::TopCnt, 100},
        {"TopCnt", 7, &WindowSettings::TopCnt, 7},         {"Left", -40, &WindowSettings::Left, -40},
    };
    for (const Case& c : cases) {
        profile.writeInt(sectionDialog(), c.key, c.stored);
        EXPECT_EQ(loadWindowSettings(profile, firstOfMarch, 1024, 768).*c.member, c.read) << c.key << " " << c.stored;
    }
}

// A line added to a table must fit the rest: one member, a control its type can take, one key per
// setting (only the boxes of one number's bits share a key, side by side), one line per control.
template <class Record>
void checkTable(const SettingsTable<Record>& table) {
    std::set<std::string> keys;
    std::set<std::pair<int, int>> controls;
    for (const SettingLine<Record>& line : table) {
        SCOPED_TRACE(line.key);
        const SettingMember<Record>& m = line.member;
        const PageControl& c = line.control;
        EXPECT_EQ(!!m.flag + !!m.number + !!m.text + !!m.fields, 1);
        EXPECT_NE(c.page, 0);
        const bool fits = c.kind == ControlKind::None ? c.id == 0
                          : m.flag                    ? c.kind == ControlKind::CheckBox && c.bit == 0
                          : m.text                    ? c.kind == ControlKind::Edit || c.kind == ControlKind::ListColumns
                          : m.number                  ? (c.kind == ControlKind::CheckBox) == (c.bit != 0)
                                                      : false;
        EXPECT_TRUE(fits);
        const bool repeated = table.repeatsKey(line);
        EXPECT_TRUE(keys.insert(line.key).second || repeated);
        EXPECT_TRUE(!repeated || c.bit != 0);
        // A picker's parts, and the list's two width texts, share their control.
        const bool part = c.kind == ControlKind::TimeHour || c.kind == ControlKind::TimeMinute ||
                          c.kind == ControlKind::DatePart || c.kind == ControlKind::ListColumns;
        EXPECT_TRUE(c.id == 0 || part || controls.insert({c.page, c.id}).second);
    }
}

TEST(SettingsTables, EachSettingOnceAndItsControlFitsIt) {
    checkTable(generalSettingsTable());
    checkTable(publishSettingsTable());
    checkTable(windowSettingsTable());
}

TEST(ResolvePluginPath, BareNamesGoToThePluginFolder) {
#ifdef _WIN32
    const std::string sep = "\\";
#else
    const std::string sep = "/";
#endif
    struct Case {
        std::string path, expected;
    } cases[] = {
        {"guest's Playtally database.dat", "F" + sep + "guest's Playtally database.dat"},
        {"", ""},
        {"C:\\data\\x.dat", "C:\\data\\x.dat"},
        {"sub\\x.dat", "sub\\x.dat"},
        {"sub/x.dat", "sub/x.dat"},
        {"C:x.dat", "C:x.dat"},
    };
    for (const Case& c : cases) EXPECT_EQ(resolvePluginPath(c.path, "F"), c.expected) << c.path;
}
