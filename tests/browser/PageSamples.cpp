// Writes the pages a browser is to show: the default report and the statistics page of a sample
// database (two years of plays, names with markup and very long names), into the given folder.
#include <cstdio>
#include <exception>
#include <memory>
#include <string>

#include "bench/SyntheticPlays.h"
#include "core/AppContext.h"
#include "core/Clock.h"
#include "core/FileSystem.h"
#include "core/Profile.h"
#include "core/Settings.h"
#include "database/Doc.h"
#include "plugin/Publisher.h"
#include "report/Shell.h"

namespace {

constexpr TimeValue kNow = 1765000000;  // early December 2025

struct FixedClock : IClock {
    TimeValue now() override { return kNow; }
};
struct NoShell : IShell {
    void openDocument(const std::string&) override {}
};

void addPlay(CDoc& doc, const std::string& artist, const std::string& title, const std::string& album, TimeValue date) {
    auto record = std::make_unique<CTrackRecord>("C:\\mp3\\" + title + ".mp3", 300, date, 280);
    record->tag = CId3v1Tag(artist, album, title, "2025", "", 17);
    doc.store().append(std::move(record));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: page_samples <folder>\n");
        return 2;
    }
    try {
        MemoryProfile profile;
        FixedClock clock;
        NoShell shell;
        CNoMessages noMessages;
        AppContext context{profile, noMessages, clock, systemFileSystem()};
        context.pluginFolder = argv[1];
        context.userName = "sample";
        CDoc doc(context);
        bench::addSyntheticPlays(doc.store(), 20000, kNow - bench::kTwoYears);
        for (int i = 0; i < 5; ++i) {
            addPlay(doc, "<script>alert(1)</script>", "WithoutSpacesWithoutSpacesWith", "&amp;", kNow - 3600 * (i + 1));
            addPlay(doc, "An Artist Whose Name Is Long", "A Title That Is Thirty Chars!", "And An Album Name Far Too Long",
                    kNow - 7200 * (i + 1));
        }
        profile.writeString(sectionPublish(), "PublishFile", "report.html");
        profile.writeString(sectionPublish(), "StatisticsFile", "statistics.html");
        profile.writeInt(sectionPublish(), "OpenPublishedFile", 0);
        publishReport(context, doc, shell);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "page_samples: %s\n", e.what());
        return 1;
    }
    return 0;
}
