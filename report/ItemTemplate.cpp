#include "report/ItemTemplate.h"

#include <utility>

#include "core/CodePage.h"
#include "core/ListRow.h"

namespace {
// Stand-ins for the fields while the pieces are found: bytes no tag and no text holds.
constexpr char kOpen = '\x01', kClose = '\x02';
bool holdsMarks(const std::string& text) {
    bool marks = false;  // one pass over the bytes
    for (char c : text) marks |= c == '#' || c == kOpen || c == kClose;
    return marks;
}
}  // namespace

CItemTemplate::CItemTemplate(const std::string& item, bool escapeValues, const std::string& dateFormat)
    : item_(item), escape_(escapeValues), dateFormat_(dateFormat) {
    // Tags absent from the item cost nothing per row.
    for (const ItemTag& tag : kItemTags) {
        CTagReplacer replacer(tag.tag);
        if (replacer.occursIn(item_)) present_.push_back(PresentTag{std::move(replacer), tag.field});
    }
    if (item_.find_first_of(std::string{kOpen, kClose}) != std::string::npos) return;
    std::string line = item_;
    for (PresentTag& tag : present_) line = tag.replacer.replace(line, std::string{kOpen, static_cast<char>('A' + tag.field), kClose});
    for (std::size_t at = 0; at < line.size();) {
        const std::size_t open = line.find(kOpen, at);
        const std::string literal = line.substr(at, open - at);
        if (literal.find('#') != std::string::npos) return;  // a tag may yet be made of it
        if (!literal.empty()) pieces_.push_back({literal, -1});
        if (open == std::string::npos) break;
        pieces_.push_back({std::string(), line[open + 1] - 'A'});
        at = open + 3;
    }
    piecesServe_ = true;
}

std::string CItemTemplate::valueOf(const CListRow& row, int field, bool* marks) const {
    if (field < kFieldCount) {
        // Cells are UTF-8; the report is written in the ANSI code page.
        const std::string& value = row.cells[static_cast<std::size_t>(field)];
        if (marks) *marks = holdsMarks(value);
        return escape_ ? htmlReportText(value) : utf8ToAnsi(value);
    }
    const std::string value = rowColumnText(row, field, dateFormat_);
    if (marks) *marks = holdsMarks(value);
    return escape_ ? htmlEscape(value) : value;
}

std::string CItemTemplate::fill(const CListRow& row) {
    if (piecesServe_) {
        std::string values[kColumnCount];
        bool wanted[kColumnCount] = {};
        bool plain = true;
        for (const PresentTag& tag : present_) {
            bool marks = false;
            values[tag.field] = valueOf(row, tag.field, &marks);
            wanted[tag.field] = true;
            // The references made for the report ("&#x6771;") make no tag: none starts with "#x".
            plain = plain && !marks;
        }
        if (plain) {
            std::string line;
            for (const Piece& piece : pieces_) {
                if (piece.field < 0)
                    line += piece.literal;
                else if (wanted[piece.field])
                    line += values[piece.field];
            }
            return line;
        }
    }
    std::string line = item_;
    for (PresentTag& tag : present_) line = tag.replacer.replace(line, valueOf(row, tag.field, nullptr));
    return line;
}
