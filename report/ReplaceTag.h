// Template tags and their replacement.
#pragma once
#include <array>
#include <string>

#include "core/FieldId.h"
#include "report/regex/Regex.h"

// An item tag and the column of the row whose text replaces it (a field id, or one of the row's
// times), in the order they are replaced.
struct ItemTag {
    const char* tag;
    int field;
};
extern const std::array<ItemTag, kColumnCount> kItemTags;

// The header's and footer's only tags.
extern const char* const kStartDateTag;  // "#sdate": start of the report period
extern const char* const kEndDateTag;    // "#edate": time of generation

// Replaces every occurrence of one tag. Occurrences are taken from the last to the first, so a
// value that holds the tag is not replaced again within the same call.
class CTagReplacer {
public:
    explicit CTagReplacer(const std::string& tag);
    // Whether the tag occurs in `text`.
    bool occursIn(const std::string& text);
    std::string replace(const std::string& text, const std::string& value);

private:
    CRegex pattern_;  // "(.*)" tag "(.*)": the greedy first group takes the last occurrence
};

// Every occurrence of `tag` in `text` replaced by `value`.
std::string replaceTag(const std::string& text, const std::string& tag, const std::string& value);

// The text with &, <, > and " written as HTML character references.
std::string htmlEscape(const std::string& text);
// A UTF-8 value for a report written in the ANSI code page: HTML-escaped, and each character the
// code page cannot hold as a numeric character reference ("&#x6771;"), which a browser shows
// whatever the page's charset.
std::string htmlReportText(const std::string& utf8);
