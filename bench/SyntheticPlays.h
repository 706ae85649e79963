// The synthetic database of the benchmarks: plays of 20,000 songs whose hits follow a Zipf-like
// law, spread evenly over two years (or `span` seconds) from `start`, oldest first. The same seed gives the same
// plays in every benchmark program, native or Windows.
#pragma once
#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "database/Doc.h"

namespace bench {

constexpr int kSongs = 20000;
constexpr TimeValue kTwoYears = 2 * 365 * 86400;

// Whole texts of a song: longer than an ID3v1 place, every second song's outside the code page
// (Japanese and Cyrillic), the genre a name the table lacks for every third. The artist and album
// are numbered as the caller's plain plays number them, so that both count as many entries.
inline TrackTexts wholeTextsOfSong(int song, int artist, int album) {
    const std::string n = std::to_string(song);
    TrackTexts t;
    if (song % 2) {
        t.artist = "\xE6\x9D\xB1\xE4\xBA\xAC\xE4\xBA\x8B\xE5\xA4\x89 \xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE " + std::to_string(artist);
        t.title = "\xD0\xA1\xD0\xB8\xD0\xBC\xD1\x84\xD0\xBE\xD0\xBD\xD0\xB8\xD1\x8F No. " + n + " \xE2\x80\x93 \xE6\x9D\xB1\xE4\xBA\xAC\xE3\x81\xAE\xE5\xA4\x9C";
    } else {
        t.artist = "The Orchestra of Artist Number " + std::to_string(artist);
        t.title = "Symphony No. " + n + " in D minor, Op. 125: IV. Presto";
    }
    t.album = "The Complete Recordings, Volume " + std::to_string(album);
    t.year = std::to_string(1960 + song % 60);
    t.genre = song % 3 == 0 ? "Synthwave" : "Classical";
    return t;
}
inline TrackTexts wholeTextsOfSong(int song) { return wholeTextsOfSong(song, song % 2500, song % 6000); }

inline void addSyntheticPlays(CRecordStore& store, int plays, TimeValue start, TimeValue span = kTwoYears,
                              bool wholeTexts = false) {
    std::mt19937 random(7);
    // Zipf-like: the song of rank k is played in proportion to 1 / k.
    std::vector<double> cumulative(kSongs);
    double sum = 0;
    for (int k = 0; k < kSongs; ++k) cumulative[k] = sum += 1.0 / (k + 1);
    std::uniform_real_distribution<double> pickSong(0, sum);
    const double spacing = static_cast<double>(span) / plays;
    for (int i = 0; i < plays; ++i) {
        const int song = static_cast<int>(std::lower_bound(cumulative.begin(), cumulative.end(), pickSong(random)) -
                                          cumulative.begin());
        const TimeValue date = start + static_cast<TimeValue>(i * spacing);
        auto record = std::make_unique<CTrackRecord>("C:\\m\\" + std::to_string(song) + ".mp3", 180 + song % 120, date,
                                                     150 + song % 60);
        if (wholeTexts)
            record->SetTexts(wholeTextsOfSong(song));
        else
            record->tag = CId3v1Tag("Artist " + std::to_string(song % 2500), "Album " + std::to_string(song % 6000),
                                    "Title of song " + std::to_string(song), std::to_string(1960 + song % 60), "",
                                    static_cast<std::uint8_t>(song % 126));
        store.append(std::move(record));
    }
}

}  // namespace bench
