// Plays and time zones for the tests of the statistics and of their page.
#pragma once
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>

#include "database/Doc.h"
#include "database/LocalCalendar.h"

namespace statstest {

// Seconds since 1970 of a UTC date and time.
inline TimeValue utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return static_cast<TimeValue>(static_cast<std::int64_t>(civilDayNumber(year, month, day)) * 86400 +
                                  hour * 3600 + minute * 60 + second);
}

struct Play {
    const char* artist;
    const char* title;
    const char* album;
    TimeValue date;
    std::int32_t played;
    const char* path = "C:\\Music\\song.mp3";
    std::uint8_t genre = 17;
};

inline void addPlay(RecordArray& records, const Play& play) {
    auto record = std::make_unique<CTrackRecord>(play.path, 240, play.date, play.played);
    record->tag = CId3v1Tag(play.artist, play.album, play.title, "2020", "", play.genre);
    records.push_back(std::move(record));
}

// Sets the C library's time zone for the life of the object and puts the test's own back.
class TimeZone {
public:
    explicit TimeZone(const char* zone) {
        const char* before = std::getenv("TZ");
        had_ = before != nullptr;
        if (had_) before_ = before;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~TimeZone() {
        if (had_) setenv("TZ", before_.c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }
    TimeZone(const TimeZone&) = delete;
    TimeZone& operator=(const TimeZone&) = delete;

private:
    bool had_ = false;
    std::string before_;
};

}  // namespace statstest
