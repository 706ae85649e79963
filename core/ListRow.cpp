#include "core/ListRow.h"

#include "core/TimeFormat.h"

std::string rowColumnText(const CListRow& row, int column, const std::string& dateFormat) {
    switch (column) {
        case ColumnFirst: return formatDate(row.firstDate, dateFormat);
        case ColumnLast: return formatDate(row.lastDate, dateFormat);
        case ColumnHeard: return formatHeard(row.heard);
        default:
            if (column >= 0 && column < kFieldCount) return row.cells[static_cast<std::size_t>(column)];
            return std::string();
    }
}
