#include "database/DuplicateRule.h"

#include <algorithm>

#include "core/Utf.h"
#include "core/FieldId.h"
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
    const std::string artistA = utf8FoldCase(a.Text(FieldArtist)), titleA = utf8FoldCase(a.Text(FieldTitle));
    const std::string artistB = utf8FoldCase(b.Text(FieldArtist)), titleB = utf8FoldCase(b.Text(FieldTitle));
    return isDuplicatePlay(PlaySighting{artistA, titleA, a.ListenedAt(), a.length},
                           PlaySighting{artistB, titleB, b.ListenedAt(), b.length});
}
