#include "report/ItemTemplate.h"

#include <utility>

#include "core/CodePage.h"
#include "core/ListRow.h"

CItemTemplate::CItemTemplate(const std::string& item, bool escapeValues) : item_(item), escape_(escapeValues) {
    // Tags absent from the item cost nothing per row.
    for (const ItemTag& tag : kItemTags) {
        CTagReplacer replacer(tag.tag);
        if (replacer.occursIn(item_)) present_.push_back(PresentTag{std::move(replacer), tag.field});
    }
}

std::string CItemTemplate::fill(const CListRow& row) {
    std::string line = item_;
    for (PresentTag& tag : present_) {
        const std::string& value = row.cells[tag.field];
        // Rows are UTF-8; the report is written in the ANSI code page.
        line = tag.replacer.replace(line, escape_ ? htmlReportText(value) : utf8ToAnsi(value));
    }
    return line;
}
