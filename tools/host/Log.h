// The stand-in's log: one line per event on standard output, "[seconds.millis] text", flushed
// at once so that a test reading the output as it comes sees every line.
#pragma once
#include <cstddef>
#include <string>

// Seconds since the program started (the clock of the log and of the player).
double elapsedSeconds();
void logLine(const std::string& text);

// --- What "wait-log" looks at: the lines written so far ---
// The number of lines written so far, and whether one written at or after line `from` holds `part`.
std::size_t logLineCount();
bool logHasSince(std::size_t from, const std::string& part);
