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

inline void addSyntheticPlays(CRecordStore& store, int plays, TimeValue start, TimeValue span = kTwoYears) {
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
        record->tag = CId3v1Tag("Artist " + std::to_string(song % 2500), "Album " + std::to_string(song % 6000),
                                "Title of song " + std::to_string(song), std::to_string(1960 + song % 60), "",
                                static_cast<std::uint8_t>(song % 126));
        store.append(std::move(record));
    }
}

}  // namespace bench
