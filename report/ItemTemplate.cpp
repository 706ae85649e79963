#include "report/ItemTemplate.h"

#include <utility>

#include "core/ListRow.h"

CItemTemplate::CItemTemplate(const std::string& item, bool escapeValues, const std::string& dateFormat)
    : item_(item), escape_(escapeValues), dateFormat_(dateFormat) {
    // Tags absent from the item cost nothing per row.
    for (const ItemTag& tag : kItemTags) {
        CTagReplacer replacer(tag.tag);
        if (replacer.occursIn(item_)) present_.push_back(PresentTag{std::move(replacer), tag.field});
    }
}

std::string CItemTemplate::fill(const CListRow& row) {
    std::string line = item_;
    for (PresentTag& tag : present_) {
        if (tag.field < kFieldCount) {
            const std::string& value = row.cells[static_cast<std::size_t>(tag.field)];
            line = tag.replacer.replace(line, escape_ ? htmlEscape(value) : value);
        } else {
            const std::string value = rowColumnText(row, tag.field, dateFormat_);
            line = tag.replacer.replace(line, escape_ ? htmlEscape(value) : value);
        }
    }
    return line;
}
