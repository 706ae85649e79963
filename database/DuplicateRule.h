// When a listen repeats a play already known: one rule for every way plays come together.
#pragma once
#include <cstdint>
#include <string_view>

#include "core/Clock.h"

class CTrackRecord;

// One play as the rule sees it. The texts of both plays must be of one form: both whole (UTF-8)
// or both as the tag holds them (the ANSI code page, cut to its places), case folded or not.
struct PlaySighting {
    std::string_view artist, title;
    TimeValue start = 0;
    std::int32_t length = 0;  // seconds; 0 when unknown
};

constexpr std::int64_t kLongestDuplicateWindow = 30;  // seconds

// How far apart two starts of one track may lie and still be one play: the shorter of 30 seconds
// and half the track's length (the shorter known length of the two; 30 seconds when neither is
// known), so that a short track heard again and again stays every time it was heard.
std::int64_t duplicateWindowSeconds(std::int32_t lengthA, std::int32_t lengthB);

// Artist and title the same, ignoring ASCII case, and the starts within the window.
bool isDuplicatePlay(const PlaySighting& a, const PlaySighting& b);
// The same for two stored plays, by their whole texts and first starts.
bool isDuplicatePlay(const CTrackRecord& a, const CTrackRecord& b);
