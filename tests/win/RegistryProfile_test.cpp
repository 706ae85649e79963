#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "framework/Module.h"
#include "plugin/win/RegistryProfile.h"

namespace {
DWORD rawDword(const std::string& bytes) {
    DWORD value = 0;
    memcpy(&value, bytes.data(), sizeof value);
    return value;
}
}  // namespace

TEST(RegistryProfile, ValuesLiveAtTheDocumentedKeyPath) {
    TestApplicationKey app("profile_path");
    RegistryProfile profile(app.name());
    EXPECT_EQ(profile.sectionPath("General"), "software\\Dozoderi Playtally v 1.2\\" + app.name() + "\\General");

    ASSERT_FALSE(rawKeyExists(app.sectionPath("General")));
    ASSERT_TRUE(profile.writeInt("General", "DBSize", 1234));
    ASSERT_TRUE(profile.writeString("General", "DateFormat", "%d.%m.%Y"));
    ASSERT_TRUE(profile.writeInt("Zudazide Playtally - Settings", "Hour", -7));

    DWORD type = 0;
    std::string bytes;
    ASSERT_TRUE(rawReadValue(app.sectionPath("General"), "DBSize", type, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    ASSERT_EQ(bytes.size(), 4u);
    EXPECT_EQ(rawDword(bytes), 1234u);

    ASSERT_TRUE(rawReadValue(app.sectionPath("General"), "DateFormat", type, bytes));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(bytes, std::string("%d.%m.%Y") + '\0');

    ASSERT_TRUE(rawReadValue(app.sectionPath("Zudazide Playtally - Settings"), "Hour", type, bytes));
    EXPECT_EQ(static_cast<int32_t>(rawDword(bytes)), -7);

    // Registry names are case-insensitive, and reading back gives what was written.
    EXPECT_EQ(profile.getInt("GENERAL", "dbsize", 0), 1234);
    EXPECT_EQ(profile.getString("general", "DATEFORMAT", ""), "%d.%m.%Y");
    EXPECT_EQ(profile.getInt("Zudazide Playtally - Settings", "Hour", 0), -7);
}

TEST(RegistryProfile, ReadingAbsentValuesGivesDefaultsAndCreatesNothing) {
    TestApplicationKey app("profile_absent");
    RegistryProfile profile(app.name());
    EXPECT_EQ(profile.getInt("Main", "First Time", 1), 1);
    EXPECT_EQ(profile.getString("General", "DBPath", "fallback"), "fallback");
    EXPECT_FALSE(rawKeyExists(app.sectionPath("Main")));
    EXPECT_FALSE(rawKeyExists(app.sectionPath("")));

    profile.writeInt("Main", "Other", 0);
    EXPECT_EQ(profile.getInt("Main", "First Time", 1), 1);  // the key exists, the value does not
}

// A value of the wrong type or size reads as the default, never as garbage.
TEST(RegistryProfile, WrongTypeOrSizeReadsAsDefault) {
    TestApplicationKey app("profile_wrong_type");
    RegistryProfile profile(app.name());
    const std::string path = app.sectionPath("General");
    const unsigned char eight[8] = {1, 0, 0, 0, 0, 0, 0, 0};
    const unsigned char two[2] = {5, 0};
    const char text[] = "5";
    struct Case {
        const char* name;
        DWORD type;
        const void* data;
        DWORD size;
    } cases[] = {
        {"SzForInt", REG_SZ, text, sizeof text},
        {"ShortDword", REG_DWORD, two, sizeof two},
        {"LongDword", REG_DWORD, eight, sizeof eight},
        {"BinaryForInt", REG_BINARY, eight, 4},
        {"Qword", REG_QWORD, eight, sizeof eight},
        {"EmptyDword", REG_DWORD, nullptr, 0},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(rawWriteValue(path, c.name, c.type, c.data, c.size)) << c.name;
        EXPECT_EQ(profile.getInt("General", c.name, 42), 42) << c.name;
    }

    const DWORD number = 7;
    const char expand[] = "%TEMP%";
    ASSERT_TRUE(rawWriteValue(path, "DwordForText", REG_DWORD, &number, sizeof number));
    ASSERT_TRUE(rawWriteValue(path, "ExpandForText", REG_EXPAND_SZ, expand, sizeof expand));
    ASSERT_TRUE(rawWriteValue(path, "BinaryForText", REG_BINARY, "abc", 3));
    EXPECT_EQ(profile.getString("General", "DwordForText", "def"), "def");
    EXPECT_EQ(profile.getString("General", "ExpandForText", "def"), "def");
    EXPECT_EQ(profile.getString("General", "BinaryForText", "def"), "def");
}

// Texts stored by other programs need not be well formed: no terminator, an inner NUL, nothing at all.
TEST(RegistryProfile, OddlyStoredTextsReadSafely) {
    TestApplicationKey app("profile_odd_text");
    RegistryProfile profile(app.name());
    const std::string path = app.sectionPath("General");
    ASSERT_TRUE(rawWriteValue(path, "NoTerminator", REG_SZ, "abc", 3));
    ASSERT_TRUE(rawWriteValue(path, "InnerNul", REG_SZ, "ab\0cd", 6));
    ASSERT_TRUE(rawWriteValue(path, "Empty", REG_SZ, nullptr, 0));
    const std::string ansi = "Caf\xe9 \x96 \x92";
    ASSERT_TRUE(rawWriteValue(path, "Ansi", REG_SZ, ansi.c_str(), static_cast<DWORD>(ansi.size() + 1)));
    EXPECT_EQ(profile.getString("General", "NoTerminator", "def"), "abc");
    EXPECT_EQ(profile.getString("General", "InnerNul", "def"), "ab");
    EXPECT_EQ(profile.getString("General", "Empty", "def"), "");
    EXPECT_EQ(profile.getString("General", "Ansi", "def"), ansi);

    std::string longText(20000, 'x');
    ASSERT_TRUE(profile.writeString("General", "Long", longText));
    EXPECT_EQ(profile.getString("General", "Long", ""), longText);
}

TEST(RegistryProfile, DeleteValueAndApplicationKey) {
    TestApplicationKey app("profile_delete");
    RegistryProfile profile(app.name());
    ASSERT_TRUE(profile.writeInt("Main", "ErrorOpening", 1));
    ASSERT_TRUE(profile.writeString("Playtally Dialog", "ListWidth", "1,2,"));
    EXPECT_TRUE(profile.deleteValue("Main", "ErrorOpening"));
    EXPECT_FALSE(profile.deleteValue("Main", "ErrorOpening"));
    EXPECT_FALSE(profile.deleteValue("Nowhere", "Nothing"));
    EXPECT_EQ(profile.getInt("Main", "ErrorOpening", 0), 0);

    EXPECT_TRUE(profile.deleteApplicationKey());
    EXPECT_FALSE(rawKeyExists(app.sectionPath("Playtally Dialog")));
    EXPECT_FALSE(rawKeyExists(app.sectionPath("")));
    // The shared registry key of the plug-in stays for other application names.
    EXPECT_TRUE(rawKeyExists("software\\Dozoderi Playtally v 1.2"));
}

TEST(RegistryProfile, BinaryValuesKeepTheirSize) {
    TestApplicationKey app("profile_binary");
    RegistryProfile profile(app.name());
    std::vector<unsigned char> placement(44);
    for (size_t i = 0; i < placement.size(); ++i) placement[i] = static_cast<unsigned char>(i * 7);
    ASSERT_TRUE(profile.writeBinary("HtmlEditDlg", "WindowPlacement", placement));
    std::vector<unsigned char> read;
    ASSERT_TRUE(profile.getBinary("HtmlEditDlg", "WindowPlacement", read));
    EXPECT_EQ(read, placement);

    profile.writeInt("HtmlEditDlg", "Number", 3);
    EXPECT_FALSE(profile.getBinary("HtmlEditDlg", "Number", read));
    EXPECT_TRUE(read.empty());
    EXPECT_FALSE(profile.getBinary("HtmlEditDlg", "Missing", read));
}

TEST(RegistryProfile, ApplicationNameIsTheFileNameWithoutExtension) {
    struct Case {
        const char* path;
        const char* name;
    } cases[] = {
        {"C:\\Program Files\\Winamp\\Plugins\\gen_ptly.dll", "gen_ptly"},
        {"C:\\Winamp\\Plugins\\GEN_PTLY.DLL", "GEN_PTLY"},
        {"C:\\Winamp\\Plugins\\my.copy.of.gen_ptly.dll", "my.copy.of.gen_ptly"},
        {"C:\\Winamp.dir\\Plugins\\gen_x", "gen_x"},
        {"gen_ptly.dll", "gen_ptly"},
        {"D:gen_ptly.dll", "gen_ptly"},
        {"/unix/style/gen_ptly.dll", "gen_ptly"},
    };
    for (const Case& c : cases) EXPECT_EQ(applicationNameFromPath(c.path), c.name) << c.path;
    EXPECT_EQ(applicationNameFromModule(moduleInstance()), "win_tests");
}
