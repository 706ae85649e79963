#include "plugin/StatisticsPublisher.h"

#include "core/AppContext.h"
#include "core/FileSystem.h"
#include "core/Messages.h"
#include "core/Settings.h"
#include "core/TimeFormat.h"
#include "database/ListeningStats.h"
#include "database/PlayExclusion.h"
#include "report/ReportWriter.h"
#include "report/StatisticsPage.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {

constexpr std::size_t kMaxReasonLength = 1024;
const char* const kOpenErrorKey = "ErrorOpeningStatisticsFile";

bool samePath(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

void report(AppContext& context, IFileSystem& files) {
    const std::string reason = files.lastErrorText().substr(0, kMaxReasonLength);
    context.messages.showMessage(loadString(IDS_PUB_CANNOT_OPEN) + "\n\nReason:\n" + reason, kOpenErrorKey);
}

}  // namespace

bool publishStatisticsPage(AppContext& context, CDoc& doc, const PublishSettings& settings,
                           const std::string& reportFile, TimeValue now) {
    if (!settings.StatisticsPage || settings.StatisticsFile.empty()) return false;
    const std::string target = resolvePluginPath(settings.StatisticsFile, context.pluginFolder);
    if (samePath(target, reportFile)) return false;  // never written over the report itself

    const GeneralSettings general = context.readSettings();
    const ExclusionRules rules(parseExclusionRules(general.KeepOutOfRankings));
    const ListeningStats stats = computeListeningStats(doc.records(), rules, now);
    const std::string page = buildStatisticsPage(stats, formatDate(now, general.DateFormat));

    IFileSystem& files = context.files;
    const std::string partial = target + ".new";
    std::unique_ptr<IFile> file = files.createWrite(partial);
    if (!file) {
        report(context, files);
        return false;
    }
    CReportWriter writer(std::move(file));
    writer.write(page);
    writer.close();
    if (writer.failed() || !files.replaceFileUnsynced(partial, target)) {
        report(context, files);
        files.removeFile(partial);
        return false;
    }
    return true;
}
