#include <windows.h>

#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "WinTestSupport.h"
#include "plugin/win/RegistryProfile.h"
#include "core/Settings.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {
FieldFlags flags(std::initializer_list<int> set) {
    FieldFlags f{};
    for (int i : set) f[static_cast<size_t>(i)] = true;
    return f;
}
}  // namespace

// A fresh user: nothing stored, every setting its default, and reading creates no key.
TEST(SettingsRegistry, FreshUserReadsEveryDefault) {
    TestApplicationKey app("settings_fresh");
    RegistryProfile profile(app.name());

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
    EXPECT_EQ(g.DoNotStoreFields, flags({FieldArtist, FieldTitle}));
    EXPECT_EQ(g.GroupPlaytallyBy, flags({FieldArtist, FieldTitle, FieldAlbum}));

    const TimeValue now = 1700000000;  // 2023-11-14 22:13:20 UTC
    std::time_t t = now;
    std::tm local{};
    ASSERT_EQ(localtime_s(&local, &t), 0);
    PublishSettings p = loadPublishSettings(profile, now);
    EXPECT_EQ(p.PublishFile, "MyPlaytally.html");
    EXPECT_EQ(p.Header, loadString(IDS_DEFAULT_HEADER) + loadString(IDS_DEFAULT_HEADER_END));
    EXPECT_EQ(p.Item, loadString(IDS_DEFAULT_ITEM));
    EXPECT_EQ(p.Footer, loadString(IDS_DEFAULT_FOOTER));
    EXPECT_EQ(p.PublishLast, 3);
    EXPECT_FALSE(p.Log);
    EXPECT_FALSE(p.IsTop);
    EXPECT_EQ(p.TopCount, 20);
    EXPECT_TRUE(p.OpenPublishedFile);
    EXPECT_FALSE(p.AutoPublish);
    EXPECT_EQ(p.Every, 2);
    EXPECT_EQ(p.Hour, local.tm_hour);
    EXPECT_EQ(p.Minute, local.tm_min);
    EXPECT_EQ(p.RunBefore, "");
    EXPECT_EQ(p.RunAfter, "");
    EXPECT_EQ(p.WinStates, 0);

    EXPECT_FALSE(rawKeyExists(app.sectionPath("")));
}

// Values stored under the documented key path, as the settings pages write them, are what the
// settings read.
TEST(SettingsRegistry, StoredValuesAreReadFromTheDocumentedKeys) {
    TestApplicationKey app("settings_stored");
    const std::string general = app.sectionPath("General");
    const std::string publish = app.sectionPath("Zudazide Playtally - Settings");
    auto putInt = [](const std::string& path, const char* name, DWORD value) {
        ASSERT_TRUE(rawWriteValue(path, name, REG_DWORD, &value, sizeof value)) << name;
    };
    auto putText = [](const std::string& path, const char* name, const std::string& value) {
        ASSERT_TRUE(rawWriteValue(path, name, REG_SZ, value.c_str(), static_cast<DWORD>(value.size() + 1))) << name;
    };
    putInt(general, "Disable", 1);
    putInt(general, "NotStore", 1);
    putInt(general, "ShowIcon", 0);
    putText(general, "DBPath", "C:\\Music\\plays.dat");
    putInt(general, "NoLarger", 0);
    putInt(general, "DBSize", 250);
    putText(general, "DateFormat", "%Y-%m-%d");
    putInt(general, "StoreAfterIntervalSec", 12);
    putInt(general, "AutoSave", 0);
    putInt(general, "RefreshOnEachTrack", 1);
    putText(general, "DoNotStoreFields", "1,");
    putText(general, "GroupPlaytallyBy", "0,0,0,0,0,0,0,0,0,1,1,");
    putText(publish, "PublishFile", "out.html");
    putText(publish, "Header", "<h>");
    putText(publish, "Item", "#num");
    putText(publish, "Footer", "");
    putInt(publish, "PublishLast", 4);
    putInt(publish, "Log", 1);
    putInt(publish, "IsTop", 1);
    putInt(publish, "TopCount", 7);
    putInt(publish, "OpenPublishedFile", 0);
    putInt(publish, "AutoPublish", 1);
    putInt(publish, "Every", 0);
    putInt(publish, "Hour", 7);
    putInt(publish, "Minute", 5);
    putText(publish, "RunBefore", "before.exe");
    putText(publish, "RunAfter", "after.exe /x");
    putInt(publish, "WinStates", 12);

    RegistryProfile profile(app.name());
    GeneralSettings g = loadGeneralSettings(profile, "guest");
    EXPECT_TRUE(g.Disable);
    EXPECT_TRUE(g.NotStore);
    EXPECT_FALSE(g.ShowIcon);
    EXPECT_EQ(g.DBPath, "C:\\Music\\plays.dat");
    EXPECT_FALSE(g.NoLarger);
    EXPECT_EQ(g.DBSize, 250);
    EXPECT_EQ(g.DateFormat, "%Y-%m-%d");
    EXPECT_EQ(g.StoreAfterIntervalSec, 12);
    EXPECT_EQ(g.AutoSave, 0);
    EXPECT_TRUE(g.RefreshOnEachTrack);
    EXPECT_EQ(g.DoNotStoreFields, flags({FieldNumber}));
    EXPECT_EQ(g.GroupPlaytallyBy, flags({FieldGenre, FieldComment}));

    PublishSettings p = loadPublishSettings(profile, 0);
    EXPECT_EQ(p.PublishFile, "out.html");
    EXPECT_EQ(p.Header, "<h>");
    EXPECT_EQ(p.Item, "#num");
    EXPECT_EQ(p.Footer, "");
    EXPECT_EQ(p.PublishLast, 4);
    EXPECT_TRUE(p.Log);
    EXPECT_TRUE(p.IsTop);
    EXPECT_EQ(p.TopCount, 7);
    EXPECT_FALSE(p.OpenPublishedFile);
    EXPECT_TRUE(p.AutoPublish);
    EXPECT_EQ(p.Every, 0);
    EXPECT_EQ(p.Hour, 7);
    EXPECT_EQ(p.Minute, 5);
    EXPECT_EQ(p.RunBefore, "before.exe");
    EXPECT_EQ(p.RunAfter, "after.exe /x");
    EXPECT_EQ(p.WinStates, 12);
}

// Values of the wrong type or size, as another program or a damaged hive may leave them, read as
// the defaults.
TEST(SettingsRegistry, WronglyTypedValuesReadAsDefaults) {
    TestApplicationKey app("settings_wrong_type");
    const std::string general = app.sectionPath("General");
    const DWORD zero = 0;
    const unsigned char wide[8] = {0, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(rawWriteValue(general, "ShowIcon", REG_SZ, "0", 2));
    ASSERT_TRUE(rawWriteValue(general, "DBSize", REG_QWORD, wide, sizeof wide));
    ASSERT_TRUE(rawWriteValue(general, "AutoSave", REG_DWORD, wide, 2));
    ASSERT_TRUE(rawWriteValue(general, "DateFormat", REG_DWORD, &zero, sizeof zero));
    ASSERT_TRUE(rawWriteValue(general, "DBPath", REG_EXPAND_SZ, "%TEMP%\\x.dat", 13));
    ASSERT_TRUE(rawWriteValue(general, "DoNotStoreFields", REG_BINARY, "1,1,", 4));

    RegistryProfile profile(app.name());
    GeneralSettings g = loadGeneralSettings(profile, "guest");
    EXPECT_TRUE(g.ShowIcon);
    EXPECT_EQ(g.DBSize, 1000);
    EXPECT_EQ(g.AutoSave, 30);
    EXPECT_EQ(g.DateFormat, "%m/%d/%y %H:%M");
    EXPECT_EQ(g.DBPath, "guest's Playtally database.dat");
    EXPECT_EQ(g.DoNotStoreFields, flags({FieldArtist, FieldTitle}));
}

TEST(SettingsRegistry, FlagListsAreStoredAsTwentyTwoCharacters) {
    TestApplicationKey app("settings_flags");
    RegistryProfile profile(app.name());
    ASSERT_TRUE(profile.writeString(sectionGeneral(), "DoNotStoreFields", writeFlagList(flags({FieldArtist, FieldTitle}))));
    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(rawReadValue(app.sectionPath("General"), "DoNotStoreFields", type, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes, std::string("0,0,0,0,0,1,1,0,0,0,0,") + '\0');
}
