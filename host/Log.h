// The stand-in's log: one line per event on standard output, "[seconds.millis] text", flushed
// at once so that a test reading the output as it comes sees every line.
#pragma once
#include <string>

// Seconds since the program started (the clock of the log and of the player).
double elapsedSeconds();
void logLine(const std::string& text);
