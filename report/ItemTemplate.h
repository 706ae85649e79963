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
    // The item as the tag-by-tag replacement makes it, found once: literal text and fields one
    // after another. Used for a row whose values hold no '#' (no value can then make a tag for a
    // later replacement), when the literal text holds none either.
    struct Piece {
        std::string literal;
        int field;  // -1: the literal
    };
    // The text a tag is replaced by; `marks`, when given, says whether the value as the row has
    // it holds a '#' or a stand-in byte (which could make a tag).
    std::string valueOf(const CListRow& row, int field, bool* marks) const;
    std::string item_;
    bool escape_;
    std::string dateFormat_;
    std::vector<PresentTag> present_;
    std::vector<Piece> pieces_;
    bool piecesServe_ = false;
};
