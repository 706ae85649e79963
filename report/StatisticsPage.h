// The statistics page: one self-contained HTML file (its style inside it, no script, nothing
// fetched from anywhere) that shows the listening figures, every figure in a table cell of its
// own, the bars and shades only beside them.
#pragma once
#include <string>

#include "core/StatFigures.h"

// The whole page, UTF-8, lines ending in "\n". `generated` is the time of writing as the user's
// "DateFormat" shows it.
std::string buildStatisticsPage(const ListeningStats& stats, const std::string& generated);
