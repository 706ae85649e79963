// The item template of the report, filled once per row.
#pragma once
#include <string>
#include <vector>

#include "report/ReplaceTag.h"

class CListRow;

class CItemTemplate {
public:
    // Finds which tags occur in `item` once; with `escapeValues` the row texts are HTML-escaped.
    // "#first" and "#last" are written in `dateFormat`.
    CItemTemplate(const std::string& item, bool escapeValues, const std::string& dateFormat = std::string());
    // The item with every tag that occurs in it replaced by the row's text for its field, tag by
    // tag in the table's order; no line break added.
    std::string fill(const CListRow& row);

private:
    struct PresentTag {
        CTagReplacer replacer;
        int field;
    };
    std::string item_;
    bool escape_;
    std::string dateFormat_;
    std::vector<PresentTag> present_;
};
