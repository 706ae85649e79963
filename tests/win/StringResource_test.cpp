#include <windows.h>

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

#include "framework/Module.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {
struct GeneratedEntry {
    int id;
    const char* text;
    std::size_t length;
};
// The very table the portable code is built with.
const GeneratedEntry kGenerated[] = {
#include "StringTableData.inc"
};

bool endsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string loadResourceString(int id) {
    static char buffer[16384];
    int n = LoadStringA(moduleInstance(), static_cast<UINT>(id), buffer, sizeof buffer);
    return std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}
}  // namespace

// The table the portable code uses must agree with the resource the DLL carries, byte for byte
// (including the Windows-1252 characters, which travel through the resource as UTF-16).
TEST(StringResource, EveryGeneratedEntryMatchesTheResource) {
    ASSERT_GT(sizeof kGenerated / sizeof kGenerated[0], 100u);
    for (const GeneratedEntry& entry : kGenerated) {
        std::string expected(entry.text, entry.length);
        EXPECT_EQ(loadString(entry.id), expected) << "string " << entry.id;
        EXPECT_EQ(loadResourceString(entry.id), expected) << "string " << entry.id;
    }
}

// Texts whose escapes, quotes and code-page characters are easy to get wrong in the script.
TEST(StringResource, TextsSurviveEscapesQuotesAndCodePage) {
    EXPECT_EQ(loadString(IDS_REGISTRY_PRODUCT), "Dozoderi Playtally v 1.2");
    EXPECT_EQ(loadString(IDS_DEFAULT_ITEM), "<TR><TD>#num</TD><TD>#artist</TD><TD>#title</TD><TD>#album</TD></TR>");
    EXPECT_EQ(loadString(IDS_DEFAULT_FOOTER),
              "\t\t\t</table>\n\t\t</div>\n\t\t<hr>\n\t\t<div class=\"f\">generated: #edate</div>\n\t</body>\n</html>");
    EXPECT_EQ(loadString(IDS_XP_STYLE_NOTICE), "The Windows XP style for Playtally WinAmp plugin will be applyed after restarting WinAmp. ");
    EXPECT_EQ(loadString(IDS_HELP_HEADER), "Click the column's caption to sort the list by ");
    const std::string help = loadString(IDS_TIP_GEN_DATEFORMAT);
    EXPECT_NE(help.find("%d - day of month (01 \x96 31)\n"), std::string::npos);
    EXPECT_NE(help.find("%I - hour  (01 \x96 12)\n"), std::string::npos);
    EXPECT_NE(help.find("%p - current locale\x92s A.M./P.M. indicator for 12-hour clock\n"), std::string::npos);
    EXPECT_TRUE(endsWith(help, "\n%z, %Z - time-zone name or abbreviation\n%% - percent sign"));
    const std::string header = loadString(IDS_DEFAULT_HEADER);
    EXPECT_EQ(header.rfind("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">\n<html>\n\t<head>", 0), 0u);
    EXPECT_TRUE(endsWith(header, "\t\t\t \tscrollbar-highlight-color: #777744;\n\t\t\t\tscrollbar-3dlight-color:#FFFFCC;\n"));
}

TEST(StringResource, MissingIdGivesEmptyText) {
    EXPECT_EQ(loadString(7), "");
    EXPECT_EQ(loadString(-1), "");
    EXPECT_EQ(loadResourceString(7), "");
}

namespace {
std::string moduleFile() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(moduleInstance(), path, MAX_PATH);
    return path;
}
}  // namespace

// The test program links the plug-in's resource script, so its version resource is the plug-in's.
TEST(VersionResource, FileDescriptionAndFixedVersion) {
    const std::string file = moduleFile();
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
    ASSERT_GT(size, 0u);
    std::string data(size, '\0');
    ASSERT_TRUE(GetFileVersionInfoA(file.c_str(), 0, size, &data[0]));

    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\StringFileInfo\\040904b0\\FileDescription", &value, &length));
    EXPECT_STREQ(static_cast<const char*>(value), "Dozoderi Playtally WinAmp Plug-in");

    ASSERT_TRUE(VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_GE(length, 4u);
    const WORD* translation = static_cast<const WORD*>(value);
    EXPECT_EQ(translation[0], 0x409);
    EXPECT_EQ(translation[1], 1200);

    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", &value, &length));
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010002u);  // 1.2, the database header's version
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000000u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010002u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000000u);
}

TEST(IconResources, IconAndCursorLoad) {
    for (int size : {16, 32}) {
        HICON icon = static_cast<HICON>(
            LoadImageA(moduleInstance(), MAKEINTRESOURCEA(IDI_PLAYTALLY), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP mask{};
        GetObjectA(info.hbmMask, sizeof mask, &mask);
        EXPECT_EQ(mask.bmWidth, size);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }

    HCURSOR cursor = LoadCursorA(moduleInstance(), MAKEINTRESOURCEA(IDC_HANDCURSOR));
    ASSERT_NE(cursor, nullptr);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor, &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 6u);
    EXPECT_EQ(info.yHotspot, 0u);
    EXPECT_EQ(info.hbmColor, nullptr);  // monochrome: the mask holds both images
    BITMAP mask{};
    GetObjectA(info.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(mask.bmWidth, 32);
    EXPECT_EQ(mask.bmHeight, 64);
    DeleteObject(info.hbmMask);
}
