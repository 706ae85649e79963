#include "ui/PlayExchangeCommands.h"

#include <ctime>

#include "database/Doc.h"
#include "core/AppContext.h"
#include "core/Clock.h"
#include "plugin/win/BrowseForFile.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {


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
    if (!browseForNewFile(path, filterIndex, owner, loadString(IDS_EXPORT_FILTER), loadString(IDS_EXPORT_TITLE))) return false;
    exportPlays(doc, path, exportFormatOf(path, filterIndex));
    return true;
}

ImportResult importPlaysCommand(HWND owner, CDoc& doc) {
    std::string path;
    if (!browseForFile(path, owner, "", loadString(IDS_IMPORT_FILTER), loadString(IDS_IMPORT_TITLE))) return {};
    return importPlays(doc, path);
}
