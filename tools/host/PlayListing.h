// The text listing of a database file, read and ranked by the plug-in's own code: the ranked plays
// (Playtally mode, whole period, the default grouping by artist, title and album) and, below them,
// the log of every play, latest first, in UTF-8 (texts whole). ListPlays.exe prints it; it never
// changes the file.
#pragma once
#include <ostream>
#include <string>

constexpr int kListingDone = 0;
constexpr int kListingFailed = 1;  // the file is missing, unreadable or not a database

// Reads the database file at `path` and writes both tables to `out`. Problems are written to
// `err`, each line starting with "ListPlays: ". Returns kListingDone or kListingFailed.
int writePlayListing(const std::string& path, std::ostream& out, std::ostream& err);
