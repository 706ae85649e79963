#include "database/DuplicateRule.h"

#include <algorithm>

#include "database/AnsiText.h"
#include "database/TrackRecord.h"

namespace {

bool sameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return lower(x) == lower(y); });
}
}  // namespace

std::int64_t duplicateWindowSeconds(std::int32_t lengthA, std::int32_t lengthB) {
    std::int32_t shorter = lengthA > 0 && lengthB > 0 ? std::min(lengthA, lengthB) : std::max(lengthA, lengthB);
    if (shorter <= 0) return kLongestDuplicateWindow;
    return std::min<std::int64_t>(kLongestDuplicateWindow, shorter / 2);
}

bool isDuplicatePlay(const PlaySighting& a, const PlaySighting& b) {
    const std::int64_t apart = static_cast<std::int64_t>(a.start) - static_cast<std::int64_t>(b.start);
    return (apart < 0 ? -apart : apart) <= duplicateWindowSeconds(a.length, b.length) &&
           sameIgnoringAsciiCase(a.artist, b.artist) && sameIgnoringAsciiCase(a.title, b.title);
}

bool isDuplicatePlay(const CTrackRecord& a, const CTrackRecord& b) {
    const std::string artistA = ansiFoldCase(a.tag.artist()), titleA = ansiFoldCase(a.tag.title());
    const std::string artistB = ansiFoldCase(b.tag.artist()), titleB = ansiFoldCase(b.tag.title());
    return isDuplicatePlay(PlaySighting{artistA, titleA, a.date, a.length}, PlaySighting{artistB, titleB, b.date, b.length});
}
