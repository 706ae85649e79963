#include "report/ReplaceTag.h"

#include "core/CodePage.h"
#include "core/Utf.h"

#include <utility>
#include <vector>

#include "core/Settings.h"

const std::array<ItemTag, kColumnCount> kItemTags = {{
    {"#num", FieldNumber},
    {"#date", FieldDate},
    {"#hits", FieldHits},
    {"#len", FieldLength},
    {"#played", FieldPlayed},
    {"#artist", FieldArtist},
    {"#title", FieldTitle},
    {"#album", FieldAlbum},
    {"#year", FieldYear},
    {"#genre", FieldGenre},
    {"#comment", FieldComment},
    {"#first", ColumnFirst},
    {"#last", ColumnLast},
    {"#heard", ColumnHeard},
}};

const char* const kStartDateTag = "#sdate";
const char* const kEndDateTag = "#edate";

CTagReplacer::CTagReplacer(const std::string& tag) : pattern_("(.*)" + tag + "(.*)") {}

bool CTagReplacer::occursIn(const std::string& text) { return pattern_.match(text); }

std::string CTagReplacer::replace(const std::string& text, const std::string& value) {
    std::string unprocessed = text;
    // The finished tail is value + group 2 of each pass, the latest pass first; kept as pieces
    // and joined once, so that many occurrences do not copy the tail again and again.
    std::vector<std::string> afterTags;
    while (pattern_.match(unprocessed) && pattern_.subCount() == 2) {
        afterTags.push_back(pattern_.substring(2));
        std::string before = pattern_.substring(1);
        unprocessed.swap(before);
    }
    std::string result = std::move(unprocessed);
    for (auto piece = afterTags.rbegin(); piece != afterTags.rend(); ++piece) {
        result += value;
        result += *piece;
    }
    return result;
}

std::string replaceTag(const std::string& text, const std::string& tag, const std::string& value) {
    return CTagReplacer(tag).replace(text, value);
}

std::string htmlEscape(const std::string& text) {
    bool special = false;  // one pass over the bytes: find_first_of searches the set per byte
    for (char c : text) special |= c == '&' || c == '<' || c == '>' || c == '"';
    if (!special) return text;
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c; break;
        }
    }
    return out;
}

std::string htmlReportText(const std::string& utf8) {
    std::string escaped = htmlEscape(utf8);
    bool ascii = true;
    for (char c : escaped) ascii &= static_cast<unsigned char>(c) < 0x80;
    if (ascii) return escaped;
    // Character by character: what the code page holds as its bytes, the rest as references.
    std::string out;
    out.reserve(escaped.size() * 2);
    for (std::size_t i = 0; i < escaped.size();) {
        const long decoded = decodeUtf8(escaped, i);
        if (decoded >= 0 && decoded < 0x80) {
            out += static_cast<char>(decoded);
            continue;
        }
        const char32_t code = decoded < 0 ? kReplacementCharacter : static_cast<char32_t>(decoded);
        if (appendAnsiCharacter(out, code)) continue;
        out += "&#x";
        static const char kHex[] = "0123456789ABCDEF";
        int shift = 20;
        while (shift > 0 && ((code >> shift) & 0xF) == 0) shift -= 4;
        for (; shift >= 0; shift -= 4) out += kHex[(code >> shift) & 0xF];
        out += ';';
    }
    return out;
}
