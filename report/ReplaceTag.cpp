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

namespace {

// The character reference of &, <, > or ", or null for any other byte.
constexpr const char* htmlReference(char c) {
    switch (c) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '"': return "&quot;";
    default: return nullptr;
    }
}

// Bytes that a report text takes as they are: ASCII other than the four above. A table, since
// every byte of every value is looked up.
struct PlainBytes {
    bool plain[256];
    constexpr PlainBytes() : plain() {
        for (int c = 0; c < 256; ++c) plain[c] = c < 0x80 && !htmlReference(static_cast<char>(c));
    }
    constexpr bool operator()(char c) const { return plain[static_cast<unsigned char>(c)]; }
};
constexpr PlainBytes isPlainByte;

}  // namespace

std::string htmlEscape(const std::string& text) {
    bool special = false;  // one pass over the bytes: find_first_of searches the set per byte
    for (char c : text) special |= htmlReference(c) != nullptr;
    if (!special) return text;
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (const char* reference = htmlReference(c))
            out += reference;
        else
            out += c;
    }
    return out;
}

std::string htmlReportText(const std::string& utf8) {
    bool plain = true;  // one pass over the bytes: most values need neither escape nor reference
    for (char c : utf8) plain &= isPlainByte(c);
    if (plain) return utf8;
    // Character by character: what the code page holds as its bytes, the rest as references.
    std::string out;
    out.reserve(utf8.size() * 2);
    for (std::size_t i = 0; i < utf8.size();) {
        // A run of ASCII that needs no escape goes in at once.
        std::size_t end = i;
        while (end < utf8.size() && isPlainByte(utf8[end])) ++end;
        if (end > i) {
            out.append(utf8, i, end - i);
            i = end;
            continue;
        }
        if (const char* reference = htmlReference(utf8[i])) {
            out += reference;
            ++i;
            continue;
        }
        const long decoded = decodeUtf8(utf8, i);
        const char32_t code = decoded < 0 ? kReplacementCharacter : static_cast<char32_t>(decoded);
        if (appendAnsiCharacter(out, code)) continue;
        static const char kHex[] = "0123456789ABCDEF";
        char reference[12] = {'&', '#', 'x'};
        std::size_t length = 3;
        int shift = 20;
        while (shift > 0 && ((code >> shift) & 0xF) == 0) shift -= 4;
        for (; shift >= 0; shift -= 4) reference[length++] = kHex[(code >> shift) & 0xF];
        reference[length++] = ';';
        out.append(reference, length);
    }
    return out;
}
