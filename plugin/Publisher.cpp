#include "plugin/Publisher.h"

#include <cctype>
#include <ctime>
#include <utility>

#include "database/Doc.h"
#include "core/FileSystem.h"
#include "core/PeriodStart.h"
#include "core/Progress.h"
#include "core/TimeFormat.h"
#include "core/AppContext.h"
#include "core/Messages.h"
#include "core/Profile.h"
#include "core/Settings.h"
#include "core/ProgramRunner.h"
#include "plugin/StatisticsPublisher.h"
#include "report/ItemTemplate.h"
#include "report/ReplaceTag.h"
#include "report/ReportWriter.h"
#include "report/Shell.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {

constexpr std::size_t kMaxReasonLength = 1024;

// "WinStates": bit 0 hide and bit 1 wait for the after-program, bits 2 and 3 the same for the
// before-program.
unsigned runFlags(int winStates, int hideBit, int waitBit) {
    unsigned flags = 0;
    if (winStates & (1 << hideBit)) flags |= RunHide;
    if (winStates & (1 << waitBit)) flags |= RunWait;
    return flags;
}

void runProgram(AppContext& context, const std::string& commandLine, unsigned flags) {
    if (commandLine.empty()) return;
    context.runner->runProgram(commandLine, flags);
}

// Header and footer: only the period's dates are replaced.
std::string fillDates(const std::string& text, const std::string& start, const std::string& end) {
    return replaceTag(replaceTag(text, kStartDateTag, start), kEndDateTag, end);
}

}  // namespace

bool isHtmlReportFile(const std::string& path) {
    auto endsWith = [&path](const char* suffix) {
        std::size_t n = std::char_traits<char>::length(suffix);
        if (path.size() < n) return false;
        for (std::size_t i = 0; i < n; ++i) {
            if (std::tolower(static_cast<unsigned char>(path[path.size() - n + i])) != suffix[i]) return false;
        }
        return true;
    };
    return endsWith(".htm") || endsWith(".html");
}

void publishReport(AppContext& context, CDoc& doc, IShell& shell) {
    const PublishSettings settings = loadPublishSettings(context.profile, context.clock.now());
    if (settings.PublishFile.empty()) return;
    const std::string reportFile = resolvePluginPath(settings.PublishFile, context.pluginFolder);
    const std::string runBefore = resolvePluginPath(settings.RunBefore, context.pluginFolder);
    const std::string runAfter = resolvePluginPath(settings.RunAfter, context.pluginFolder);

    runProgram(context, runBefore, runFlags(settings.WinStates, 2, 3));

    IFileSystem& files = context.files;
    std::unique_ptr<IFile> file = files.createWrite(reportFile);
    if (!file) {
        std::string reason = files.lastErrorText().substr(0, kMaxReasonLength);
        context.messages.showMessage(loadString(IDS_PUB_CANNOT_OPEN) + "\n\nReason:\n" + reason, "ErrorOpeningPublishFile");
        return;
    }
    CReportWriter writer(std::move(file));

    // The before-program may have run for a while.
    const TimeValue end = context.clock.now();
    const TimeValue start = periodStart(settings.PublishLast, end);
    BuildListParams params;
    params.since = start;
    params.till = end;
    params.logMode = settings.Log;
    params.topOn = settings.IsTop;
    params.topCount = settings.TopCount;
    params.showProgress = false;
    const RowArray rows = doc.BuildList(params);  // the report's own: the window keeps its rows

    std::unique_ptr<IProgress> progress;
    bool windowOnScreen =
        context.views->settingsSheetOpen() || context.views->playtallyWindowVisible();
    if (windowOnScreen && rows.size() > 1) {
        progress = context.progress->create();
        if (progress) progress->Show(loadString(IDS_GENERATING_REPORT), 0, static_cast<int>(rows.size()) - 1);
    }

    // A web page gets its values as text, never as markup: tags are anyone's to write.
    const bool html = isHtmlReportFile(reportFile);
    auto asWritten = [html](const std::string& value) { return html ? htmlEscape(value) : value; };

    const std::string dateFormat = context.readSettings().DateFormat;
    const std::string startText = asWritten(formatDate(start, dateFormat));
    const std::string endText = asWritten(formatDate(end, dateFormat));

    writer.write(fillDates(settings.Header, startText, endText) + "\n");

    CItemTemplate item(settings.Item, html, dateFormat);

    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (progress) {
            if (progress->CheckCancel()) {
                writer.close();  // the file keeps what was written so far
                return;
            }
            progress->SetPos(static_cast<int>(i));
        }
        writer.write(item.fill(*rows[i]) + "\n");
    }

    writer.write(fillDates(settings.Footer, startText, endText));
    writer.close();
    if (settings.OpenPublishedFile) shell.openDocument(reportFile);
    progress.reset();
    // Before the after-program, which may take both files somewhere.
    publishStatisticsPage(context, doc, settings, reportFile, end);

    runProgram(context, runAfter, runFlags(settings.WinStates, 0, 1));
}
