// Exporting the plays: the writer's bytes go to a new file beside the chosen one in pieces, and
// the new file takes the chosen name only once it is complete.
#include <algorithm>
#include <cstdint>
#include <exception>
#include <unordered_map>
#include <vector>

#include "database/Doc.h"
#include "core/Exceptions.h"
#include "core/FileSystem.h"
#include "core/ReplacingWrite.h"
#include "core/StableOrder.h"
#include "exchange/PlayExchange.h"
#include "core/Progress.h"
#include "core/AppContext.h"
#include "core/Messages.h"
#include "core/Settings.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {

// The new file's name beside the target: one no file has, so that no file of the user's is
// overwritten and then removed by the export's write.
const char kNewFileSuffix[] = ".ptly-export";
constexpr int kNewFileTries = 100;
constexpr std::size_t kPiece = 1 << 16;        // bytes handed to the file at a time
constexpr std::size_t kProgressEvery = 1000;   // plays between looks at the progress window

std::string unusedNewName(IFileSystem& files, const std::string& path) {
    for (int n = 0; n < kNewFileTries; ++n) {
        std::string name = path + kNewFileSuffix + (n ? "-" + std::to_string(n) : std::string()) + ".tmp";
        if (!files.exists(name)) return name;
    }
    return std::string();
}

std::string replaceAll(std::string text, const std::string& what, const std::string& with) {
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

// The records oldest first: their stored order, unless a changed clock put some out of order.
// The progress window pumps messages between steps, and what they run (the auto-save's trim, a
// removal, a merge) may free or move records: the export therefore holds no record across a
// step, only where each one is, and finds them again by identity when the records moved.
class ExportOrder {
public:
    explicit ExportOrder(const CDoc& doc) : doc_(doc), generation_(doc.recordsGeneration()) {
        const RecordArray& records = doc.records();
        positions_.resize(records.size());
        for (std::size_t i = 0; i < positions_.size(); ++i) positions_[i] = i;
        auto byDate = [&](std::size_t a, std::size_t b) { return records[a]->date < records[b]->date; };
        if (!std::is_sorted(positions_.begin(), positions_.end(), byDate))
            stableSortPositions(positions_, byDate);
        identities_.reserve(positions_.size());
        for (std::size_t at : positions_) identities_.push_back(records[at]->identity.value());
    }
    std::size_t size() const { return positions_.size(); }
    // The record `i`-th in the order, or null when it has gone since the export began.
    const CTrackRecord* at(std::size_t i) {
        if (doc_.recordsGeneration() != generation_) relocate(i);
        const std::size_t position = positions_[i];
        return position < doc_.records().size() ? doc_.records()[position].get() : nullptr;
    }

private:
    void relocate(std::size_t from) {
        generation_ = doc_.recordsGeneration();
        std::unordered_map<std::uint64_t, std::size_t> where;
        where.reserve(doc_.records().size());
        for (std::size_t i = 0; i < doc_.records().size(); ++i) where.emplace(doc_.records()[i]->identity.value(), i);
        for (std::size_t i = from; i < positions_.size(); ++i) {
            auto found = where.find(identities_[i]);
            positions_[i] = found == where.end() ? kGone : found->second;
        }
    }
    static constexpr std::size_t kGone = static_cast<std::size_t>(-1);
    const CDoc& doc_;
    std::uint32_t generation_;
    std::vector<std::size_t> positions_;
    std::vector<std::uint64_t> identities_;
};

}  // namespace

ExportStatus exportPlays(CDoc& doc, const std::string& path, PlayFormat format) {
    AppContext& context = doc.context();
    IFileSystem& files = context.files;
    auto show = [&](const std::string& text, const char* key) {
        context.messages.showMessage(text, key);
    };
    // The database itself: the export would take its place, and the plays would be gone at the
    // next start.
    if (files.sameFile(path, resolvePluginPath(context.readSettings().DBPath, context.pluginFolder))) {
        show(loadString(IDS_EXPORT_ONTO_DATABASE), "ExportOntoDatabase");
        return ExportStatus::failed;
    }
    const std::string newPath = unusedNewName(files, path);
    if (newPath.empty()) {
        show(loadString(IDS_EXPORT_FAILED) + files.lastErrorText(), "ErrorExportingPlays");
        return ExportStatus::failed;
    }
    CReplacingWrite write(files, path, newPath);
    if (!write.file()) {
        show(loadString(IDS_EXPORT_FAILED) + write.reason(), "ErrorExportingPlays");
        return ExportStatus::failed;
    }
    IFile* file = write.file();
    auto discard = [&] { write.discard(); };

    std::unique_ptr<IProgress> progress;
    std::size_t count = 0;
    try {
        ExportOrder order(doc);
        const std::size_t total = order.size();
        if (total >= kExportProgressFrom) progress = context.progress->create();  // none without a window
        if (progress) progress->Show(loadString(IDS_EXPORTING), 0, 100);
        std::unique_ptr<PlayWriter> writer = makePlayWriter(format, playtallyClient());
        auto handOver = [&](std::size_t atLeast) {
            std::string_view bytes = writer->pending();
            if (bytes.size() < atLeast) return;
            file->write(bytes.data(), bytes.size());
            writer->clearPending();
        };
        writer->begin();
        for (std::size_t i = 0; i < total; ++i) {
            if (const CTrackRecord* record = order.at(i)) {
                writer->add(*record);
                ++count;
            }
            handOver(kPiece);
            if (progress && (i + 1) % kProgressEvery == 0 &&
                progress->Advance(static_cast<int>((i + 1) * 100 / total)) != 0) {
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
        show(loadString(IDS_EXPORT_FAILED) + loadString(IDS_NO_MEMORY), "ErrorExportingPlays");
        return ExportStatus::failed;
    } catch (const CFileException& e) {
        progress.reset();
        discard();
        show(loadString(IDS_EXPORT_FAILED) + e.reason(), "ErrorExportingPlays");
        return ExportStatus::failed;
    }
    progress.reset();

    if (!write.replace(false)) {
        show(loadString(IDS_EXPORT_FAILED) + write.reason(), "ErrorExportingPlays");
        return ExportStatus::failed;
    }
    show(replaceAll(replaceAll(loadString(IDS_PLAYS_EXPORTED), "%1", std::to_string(count)), "%2", path), "PlaysExported");
    return ExportStatus::written;
}
