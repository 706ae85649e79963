// One listen as the live submission sends it: built once by the export's ListenBrainz writer (the
// outbox then keeps those bytes), and checked as the service checks it before it is ever sent.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

#include "core/Clock.h"
#include "exchange/PlayReaders.h"
#include "exchange/PlayWriters.h"

class CTrackRecord;

// The service refuses larger listens.
constexpr std::size_t kMaxListenBytes = 10240;
// How far ahead of its clock the service takes a listen (the earliest is kEarliestListen).
constexpr TimeValue kListenAheadLimit = 3600;

// The listen of a stored play, exactly as the export writes it.
std::string buildListen(const CTrackRecord& record, const ExportClient& client);
// The same without "listened_at": what "playing now" sends.
std::string buildPlayingNow(const CTrackRecord& record, const ExportClient& client);

// The service's rule for what counts as a listen: half the track or 4 minutes heard.
bool meetsListenRule(int lengthSeconds, int playedSeconds);
// Whether a stored play is sent: never one the user's rules keep out of the rankings
// ("KeepOutOfRankings"), and with `listenRule` only one that meets the service's rule.
bool playIsSent(const CTrackRecord& record, const std::string& keepOutRules, bool listenRule);

enum class ListenFault {
    none,
    notJson,        // not one JSON object
    tooLarge,       // more than kMaxListenBytes
    extraKey,       // a top-level key other than listened_at and track_metadata
    badTime,        // listened_at missing (a listen), present (playing now), not an integer, or out of range
    noMetadata,     // track_metadata missing or not an object
    noArtist,       // artist_name missing, not a text, or empty after trimming
    noTitle,        // track_name likewise
    badInfo,        // additional_info not an object
    badDuration,    // duration_ms not a positive integer of at most 24 days
    nulCharacter,   // a NUL anywhere
};

// Checks one listen (playingNow: a "playing now" one) as the service would, at time `now`.
ListenFault checkListen(std::string_view json, TimeValue now, bool playingNow = false);
// The fault in words, for the refused list.
std::string listenFaultText(ListenFault fault);

// What a listen shows in the refused list: its artist, title and time, read from its bytes. Any
// bytes give a defined result: what is missing or not a text stays empty (a time: 0), and the
// texts are fit for one line.
struct ListenSummary {
    std::string artist;
    std::string title;
    TimeValue listenedAt = 0;
};
ListenSummary summarizeListen(std::string_view json);
