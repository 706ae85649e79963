#include "tools/host/PlayListing.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "database/Doc.h"
#include "core/FileSystem.h"
#include "core/AppContext.h"
#include "core/Clock.h"
#include "core/Messages.h"
#include "core/Profile.h"

namespace {

// The plug-in's own signature: a file the plug-in would not read is not listed either.
const char kDescription[] = "Dozoderi Playtally WinAmp Plug-in";
constexpr std::uint32_t kVersionHigh = 0x00010002;
constexpr std::uint32_t kVersionLow = 0x00000000;

// The only message that still leaves the plays readable.
const char kNewerFormatKey[] = "DBFileIsNewerFormat";

// The document's messages go to the error stream; any of them but the newer-format notice
// means the plays were not read.
class StreamMessages : public IMessages {
public:
    explicit StreamMessages(std::ostream& err) : err_(err) {}
    void showMessage(const std::string& text, const std::string& key) override {
        err_ << "ListPlays: " << text << "\n";
        if (key != kNewerFormatKey) failed = true;
    }
    bool askYesNo(const std::string& text, const std::string&) override {
        err_ << "ListPlays: " << text << " (answered No)\n";
        return false;
    }
    bool failed = false;

private:
    std::ostream& err_;
};

struct Column {
    const char* heading;
    int field;
    bool alignRight;
};

const Column kRankedColumns[] = {
    {"#", FieldNumber, true},   {"hits", FieldHits, true},   {"artist", FieldArtist, false},
    {"title", FieldTitle, false}, {"album", FieldAlbum, false}, {"played", FieldPlayed, false},
};
const Column kLogColumns[] = {
    {"#", FieldNumber, true},     {"date", FieldDate, false},  {"artist", FieldArtist, false},
    {"title", FieldTitle, false}, {"album", FieldAlbum, false}, {"length", FieldLength, false},
    {"played", FieldPlayed, false},
};

// The columns a UTF-8 text takes: one per character.
std::size_t textWidth(const std::string& utf8) {
    std::size_t n = 0;
    for (char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return n;
}

void pad(std::ostream& out, std::size_t n) {
    for (; n > 0; --n) out << ' ';
}

// One line of cells, columns two blanks apart; the last column is not padded.
template <std::size_t N>
void writeLine(std::ostream& out, const Column (&columns)[N], const std::vector<std::size_t>& widths,
               const std::vector<std::string>& cells) {
    for (std::size_t c = 0; c < N; ++c) {
        const std::size_t gap = widths[c] - std::min(widths[c], textWidth(cells[c]));
        if (c > 0) out << "  ";
        if (columns[c].alignRight) pad(out, gap);
        out << cells[c];
        if (!columns[c].alignRight && c + 1 < N) pad(out, gap);
    }
    out << "\n";
}

template <std::size_t N>
void writeTable(std::ostream& out, const Column (&columns)[N], const RowArray& rows) {
    std::vector<std::size_t> widths(N);
    std::vector<std::string> headings(N), rules(N);
    for (std::size_t c = 0; c < N; ++c) {
        widths[c] = std::char_traits<char>::length(columns[c].heading);
        for (const auto& row : rows) widths[c] = std::max(widths[c], textWidth(row->cells[columns[c].field]));
        headings[c] = columns[c].heading;
        rules[c] = std::string(widths[c], '-');
    }
    writeLine(out, columns, widths, headings);
    writeLine(out, columns, widths, rules);
    std::vector<std::string> cells(N);
    for (const auto& row : rows) {
        for (std::size_t c = 0; c < N; ++c) cells[c] = row->cells[columns[c].field];
        writeLine(out, columns, widths, cells);
    }
}

BuildListParams wholePeriod(bool logMode) {
    BuildListParams params;
    params.since = std::numeric_limits<TimeValue>::min();
    params.till = std::numeric_limits<TimeValue>::max();
    params.logMode = logMode;
    return params;
}

}  // namespace

int writePlayListing(const std::string& path, std::ostream& out, std::ostream& err) {
    IFileSystem& files = systemFileSystem();
    if (path.empty() || !files.exists(path)) {
        err << "ListPlays: no such file: " << path << "\n";
        return kListingFailed;
    }
    if (files.isFolder(path)) {
        err << "ListPlays: " << path << " is a folder, not a database file\n";
        return kListingFailed;
    }

    MemoryProfile profile;  // no settings: the defaults of a fresh user
    StreamMessages messages(err);
    SystemClock clock;
    AppContext context{profile, messages, clock, files};
    context.signature = {kDescription, kVersionHigh, kVersionLow};
    context.reloadSettings();
    CDoc doc(context);

    // Read into an array of our own: the document handles a file of that kind as a file to merge,
    // so a damaged one is reported but never moved or renamed.
    RecordArray plays;
    if (doc.LoadFileIntoArray(path, &plays) != 0 || messages.failed) {
        err << "ListPlays: cannot read " << path << " as a Playtally database (it is empty, unreadable or damaged)\n";
        return kListingFailed;
    }
    doc.store().replaceAll(std::move(plays));

    out << "Database: " << path << " (" << doc.records().size() << (doc.records().size() == 1 ? " play" : " plays")
        << ")\n\n";

    const RowArray ranked = doc.BuildList(wholePeriod(false));
    out << "Ranked plays: most hits first, grouped by artist, title and album (" << ranked.size()
        << (ranked.size() == 1 ? " row" : " rows") << ")\n";
    writeTable(out, kRankedColumns, ranked);

    const RowArray log = doc.BuildList(wholePeriod(true));
    out << "\nLog of plays: latest first (" << log.size() << (log.size() == 1 ? " play" : " plays") << ")\n";
    writeTable(out, kLogColumns, log);
    return kListingDone;
}
