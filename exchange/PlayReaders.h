// Reading plays that come from elsewhere: ListenBrainz JSON (an array of listens, or one listen
// after the other as the service's export archive holds them, one per line) and the portable
// player's scrobbler log. The readers only read: what becomes of a listen is the import's.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/Clock.h"
#include "resources/resource.h"

// One listen of the file, its texts in UTF-8 as the file has them.
struct ImportedListen {
    TimeValue start = 0;       // UTC
    std::int32_t length = 0;   // seconds; 0 when the file does not say
    std::uint8_t track = 0;    // the position on its album, 1 to 255; 0 when the file does not say
    std::string artist, title, album;
};

// The earliest listen (2002-10-01 00:00 UTC): the scrobbling services take none before it, so an
// earlier start in a file is a damaged time or that of a player whose clock was never set.
constexpr TimeValue kEarliestListen = 1033430400;

// Why a file could not be read, and where. `message` is a string resource whose %1 is the line,
// %2 the column and %3 the detail.
struct ReadError {
    int message = 0;
    long line = 0;
    long column = 0;
    std::string detail;
};

enum class ListenFormat { unknown, listenBrainzArray, listenBrainzLines, scrobblerLog };

// The format the bytes are in, by their beginning (a UTF-8 byte order mark is passed over).
ListenFormat detectListenFormat(std::string_view bytes);

// Reads every listen of the file, or none: false (with `error` set) when the file is not in one of
// the formats or is broken anywhere, and then `out` is left empty. Scrobbler log lines rated S
// (skipped) are not listens; a log written in "#TZ/UNKNOWN" holds local times, which `localToUtc`
// turns into UTC (the C library's local time when null).
bool readListens(std::string_view bytes, std::vector<ImportedListen>& out, ReadError& error,
                 TimeValue (*localToUtc)(std::int64_t) = nullptr);

// The C library's local time zone: the UTC of a local wall-clock time given as if it were UTC.
TimeValue systemLocalToUtc(std::int64_t local);

// String resources of the readers' messages.
enum ReadMessage : int {
    kNotAPlaysFile = IDS_READ_NOT_A_PLAYS_FILE,     // neither format
    kJsonBroken = IDS_READ_JSON_BROKEN,            // %1 line, %2 column, %3 the parser's reason
    kNotAListen = IDS_READ_NOT_A_LISTEN,           // %1 line
    kNotAText = IDS_READ_NOT_A_TEXT,               // %1 line, %3 the key
    kLogFieldCount = IDS_READ_LOG_FIELD_COUNT,     // %1 line, %3 the count
    kLogRating = IDS_READ_LOG_RATING,              // %1 line
    kLogStart = IDS_READ_LOG_START,                // %1 line
    kLogDuration = IDS_READ_LOG_DURATION,          // %1 line
    kListenTime = IDS_READ_LISTEN_TIME,            // %1 line
    kListenTooEarly = IDS_READ_LISTEN_TOO_EARLY,   // %1 line, %2 column: before kEarliestListen
    kLogTooEarly = IDS_READ_LOG_TOO_EARLY,         // %1 line: before kEarliestListen
};
