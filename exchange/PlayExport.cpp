// Exporting the plays: the writer's bytes go to a new file beside the chosen one in pieces, and
// the new file takes the chosen name only once it is complete.
#include <algorithm>
#include <exception>
#include <vector>

#include "database/Doc.h"
#include "core/Exceptions.h"
#include "core/FileSystem.h"
#include "core/ReplacingWrite.h"
#include "exchange/PlayExchange.h"
#include "core/Progress.h"
#include "core/AppContext.h"
#include "core/Messages.h"
#include "resources/StringTable.h"

namespace {

constexpr int kExporting = 2234;      // progress text
constexpr int kExported = 2236;       // "PlaysExported": %1 plays, %2 the file
constexpr int kExportFailed = 2237;   // "ErrorExportingPlays", followed by the reason
constexpr int kNoMemory = 2255;       // the reason when memory ran out

constexpr std::size_t kPiece = 1 << 16;        // bytes handed to the file at a time
constexpr std::size_t kProgressEvery = 1000;   // plays between looks at the progress window

std::string replaceAll(std::string text, const std::string& what, const std::string& with) {
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

// The records oldest first: their stored order, unless a changed clock put some out of order.
std::vector<const CTrackRecord*> oldestFirst(const RecordArray& records) {
    std::vector<const CTrackRecord*> order;
    order.reserve(records.size());
    for (const auto& r : records) order.push_back(r.get());
    auto byDate = [](const CTrackRecord* a, const CTrackRecord* b) { return a->date < b->date; };
    if (!std::is_sorted(order.begin(), order.end(), byDate)) std::stable_sort(order.begin(), order.end(), byDate);
    return order;
}

}  // namespace

ExportStatus exportPlays(CDoc& doc, const std::string& path, PlayFormat format) {
    AppContext& context = doc.context();
    IFileSystem& files = context.files;
    auto show = [&](const std::string& text, const char* key) {
        context.messages.showMessage(text, key);
    };
    CReplacingWrite write(files, path);
    if (!write.file()) {
        show(loadString(kExportFailed) + write.reason(), "ErrorExportingPlays");
        return ExportStatus::failed;
    }
    IFile* file = write.file();
    auto discard = [&] { write.discard(); };

    std::unique_ptr<IProgress> progress;
    std::size_t count = 0;
    try {
        const std::vector<const CTrackRecord*> order = oldestFirst(doc.records());
        count = order.size();
        if (count >= kExportProgressFrom) progress = context.progress->create();  // none without a window
        if (progress) progress->Show(loadString(kExporting), 0, 100);
        std::unique_ptr<PlayWriter> writer = makePlayWriter(format, playtallyClient());
        auto handOver = [&](std::size_t atLeast) {
            std::string_view bytes = writer->pending();
            if (bytes.size() < atLeast) return;
            file->write(bytes.data(), bytes.size());
            writer->clearPending();
        };
        writer->begin();
        for (std::size_t i = 0; i < count; ++i) {
            writer->add(*order[i]);
            handOver(kPiece);
            if (progress && (i + 1) % kProgressEvery == 0 &&
                progress->Advance(static_cast<int>((i + 1) * 100 / count)) != 0) {
                progress.reset();
                discard();
                return ExportStatus::cancelled;
            }
        }
        writer->end();
        handOver(0);
        // No forcing to the disk: an export is a copy of plays the database still holds, and the
        // new file takes the old one's place only after it was written whole.
        write.close();
    } catch (const std::bad_alloc&) {
        progress.reset();
        discard();
        show(loadString(kExportFailed) + loadString(kNoMemory), "ErrorExportingPlays");
        return ExportStatus::failed;
    } catch (const CFileException& e) {
        progress.reset();
        discard();
        show(loadString(kExportFailed) + e.reason(), "ErrorExportingPlays");
        return ExportStatus::failed;
    }
    progress.reset();

    if (!write.replace(false)) {
        show(loadString(kExportFailed) + write.reason(), "ErrorExportingPlays");
        return ExportStatus::failed;
    }
    show(replaceAll(replaceAll(loadString(kExported), "%1", std::to_string(count)), "%2", path), "PlaysExported");
    return ExportStatus::written;
}
