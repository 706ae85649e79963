#include <gtest/gtest.h>

#include "plugin/Manifest.h"

TEST(Manifest, OnlyTheVersionTestDecides) {
    struct Case {
        unsigned platform, major, minor;
        bool xp;
    } cases[] = {{2, 5, 1, true},  {2, 6, 1, true},  {2, 5, 0, false}, {2, 5, 2, false},
                 {2, 6, 0, false}, {2, 4, 1, false}, {1, 5, 1, false}, {0, 5, 1, false}};
    for (const Case& c : cases)
        EXPECT_EQ(isWindowsXP({c.platform, c.major, c.minor}), c.xp) << c.platform << " " << c.major << "." << c.minor;
}

TEST(Manifest, PathIsBesideWinampsExecutable) {
    struct Case {
        const char* folder;
        const char* path;
    } cases[] = {
        {"C:\\Program Files\\Winamp\\Plugins", "C:\\Program Files\\Winamp\\winamp.exe.manifest"},
        {"C:\\Winamp\\Plugins\\", "C:\\Winamp\\winamp.exe.manifest"},  // a final backslash is stepped over
        {"C:\\Plugins", "C:\\winamp.exe.manifest"},
        {"Plugins", ""},
        {"", ""},
        {"\\", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(manifestPath(c.folder), c.path) << c.folder;
}

TEST(Manifest, TextHasCarriageReturnLineFeedsAndTabs) {
    const std::string text = manifestText();
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n<assembly ", 0), 0u);
    EXPECT_NE(text.find("\r\n\t<dependentAssembly>\r\n\t\t<assemblyIdentity type=\"win32\" "
                        "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" processorArchitecture=\"X86\" "
                        "publicKeyToken=\"6595b64144ccf1df\" language=\"*\"/>\r\n\t</dependentAssembly>\r\n"),
              std::string::npos);
    const std::string ending = "</dependency>\r\n</assembly>";
    EXPECT_EQ(text.substr(text.size() - ending.size()), ending);  // no line break after the last line
    std::size_t lf = 0, crlf = 0;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (text[i] == '\n') {
            ++lf;
            if (i > 0 && text[i - 1] == '\r') ++crlf;
        }
    EXPECT_EQ(lf, 9u);
    EXPECT_EQ(crlf, 9u);
}
