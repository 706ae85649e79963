#include "core/Settings.h"

#include <ctime>

#include "core/Profile.h"
#include "resources/StringTable.h"

namespace {

// Default flag lists: the fields a track must have (artist, title) and those that group it
// (artist, title, album).
const FieldFlags kDefaultRequired = {false, false, false, false, false, true, true, false, false, false, false};
const FieldFlags kDefaultGrouping = {false, false, false, false, false, true, true, true, false, false, false};

bool readBool(IProfile& p, const std::string& section, const char* key, bool def) {
    return p.getInt(section, key, def ? 1 : 0) != 0;
}

// A choice stored as an index; anything outside the list reads as the default.
int readChoice(IProfile& p, const std::string& section, const char* key, int def, int count) {
    int v = p.getInt(section, key, def);
    return v >= 0 && v < count ? v : def;
}

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

GeneralSettings loadGeneralSettings(IProfile& p, const std::string& userName) {
    const std::string s = sectionGeneral();
    GeneralSettings g;
    g.Disable = readBool(p, s, "Disable", g.Disable);
    g.NotStore = readBool(p, s, "NotStore", g.NotStore);
    g.ShowIcon = readBool(p, s, "ShowIcon", g.ShowIcon);
    g.DBPath = p.getString(s, "DBPath", defaultDatabaseName(userName));
    g.NoLarger = readBool(p, s, "NoLarger", g.NoLarger);
    g.DBSize = p.getInt(s, "DBSize", g.DBSize);
    // A size below one would empty the database at the next save: such a value is damage, not a
    // choice (the settings page never stores it), and reads as the default.
    if (g.DBSize < 1) g.DBSize = GeneralSettings().DBSize;
    g.DateFormat = p.getString(s, "DateFormat", g.DateFormat);
    g.StoreAfterIntervalSec = p.getInt(s, "StoreAfterIntervalSec", g.StoreAfterIntervalSec);
    g.AutoSave = p.getInt(s, "AutoSave", g.AutoSave);
    g.RefreshOnEachTrack = readBool(p, s, "RefreshOnEachTrack", g.RefreshOnEachTrack);
    g.ReadOtherTags = readBool(p, s, "ReadOtherTags", g.ReadOtherTags);
    g.DoNotStoreFields = readFlagList(p.getString(s, "DoNotStoreFields", writeFlagList(kDefaultRequired)));
    g.GroupPlaytallyBy = readFlagList(p.getString(s, "GroupPlaytallyBy", writeFlagList(kDefaultGrouping)));
    return g;
}

PublishSettings loadPublishSettings(IProfile& p, TimeValue now) {
    const std::string s = sectionPublish();
    PublishSettings ps;
    std::tm local{};
    std::time_t t = now;
#ifdef _WIN32
    bool haveLocal = localtime_s(&local, &t) == 0;
#else
    bool haveLocal = localtime_r(&t, &local) != nullptr;
#endif
    ps.PublishFile = p.getString(s, "PublishFile", ps.PublishFile);
    ps.Header = p.getString(s, "Header", loadString(77) + loadString(80));
    ps.Item = p.getString(s, "Item", loadString(78));
    ps.Footer = p.getString(s, "Footer", loadString(79));
    ps.PublishLast = readChoice(p, s, "PublishLast", ps.PublishLast, 5);
    ps.Log = readBool(p, s, "Log", ps.Log);
    ps.IsTop = readBool(p, s, "IsTop", ps.IsTop);
    ps.TopCount = p.getInt(s, "TopCount", ps.TopCount);
    ps.OpenPublishedFile = readBool(p, s, "OpenPublishedFile", ps.OpenPublishedFile);
    ps.AutoPublish = readBool(p, s, "AutoPublish", ps.AutoPublish);
    ps.Every = readChoice(p, s, "Every", ps.Every, 5);
    ps.Hour = p.getInt(s, "Hour", haveLocal ? local.tm_hour : 0);
    ps.Minute = p.getInt(s, "Minute", haveLocal ? local.tm_min : 0);
    ps.RunBefore = p.getString(s, "RunBefore", ps.RunBefore);
    ps.RunAfter = p.getString(s, "RunAfter", ps.RunAfter);
    ps.WinStates = p.getInt(s, "WinStates", ps.WinStates) & 0xFF;
    return ps;
}

std::string resolvePluginPath(const std::string& path, const std::string& pluginFolder) {
    // A drive ("C:name") or any folder separator makes it a path of its own.
    if (path.empty() || path.find_first_of("\\/:") != std::string::npos) return path;
    return pluginFolder + kPathSeparator + path;
}
