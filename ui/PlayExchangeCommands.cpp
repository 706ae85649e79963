#include "ui/PlayExchangeCommands.h"

#include <ctime>

#include "database/Doc.h"
#include "core/AppContext.h"
#include "core/Clock.h"
#include "plugin/win/BrowseForFile.h"
#include "resources/StringTable.h"

namespace {

constexpr int kExportTitle = 2230;   // "Export Plays"
constexpr int kImportTitle = 2231;   // "Import Plays"
constexpr int kExportFilter = 2232;  // ListenBrainz JSON, scrobbler log, CSV
constexpr int kImportFilter = 2233;

bool endsWithNoCase(const std::string& text, const char* tail) {
    const std::size_t n = lstrlenA(tail);
    return text.size() >= n && lstrcmpiA(text.c_str() + text.size() - n, tail) == 0;
}

}  // namespace

PlayFormat exportFormatOf(const std::string& path, int filterIndex) {
    if (endsWithNoCase(path, ".json")) return PlayFormat::listenBrainz;
    if (endsWithNoCase(path, ".log")) return PlayFormat::scrobblerLog;
    if (endsWithNoCase(path, ".csv")) return PlayFormat::csv;
    switch (filterIndex) {
    case 2: return PlayFormat::scrobblerLog;
    case 3: return PlayFormat::csv;
    default: return PlayFormat::listenBrainz;
    }
}

bool exportPlaysCommand(HWND owner, CDoc& doc) {
    AppContext& context = doc.context();
    const TimeValue now = context.clock.now();
    std::string path = defaultExportName(PlayFormat::listenBrainz, now);
    int filterIndex = 1;
    if (!browseForNewFile(path, filterIndex, owner, loadString(kExportFilter), loadString(kExportTitle))) return false;
    exportPlays(doc, path, exportFormatOf(path, filterIndex));
    return true;
}

ImportResult importPlaysCommand(HWND owner, CDoc& doc) {
    std::string path;
    if (!browseForFile(path, owner, "", loadString(kImportFilter), loadString(kImportTitle))) return {};
    return importPlays(doc, path);
}
