// The statistics page beside the report: the figures of the stored plays written to the file
// named by "StatisticsFile" whenever the report is published, by hand or on the schedule.
#pragma once
#include <string>

#include "core/Clock.h"

struct AppContext;
struct PublishSettings;
class CDoc;

// Writes the page when "StatisticsPage" is set and "StatisticsFile" names a file other than the
// report (`reportFile`, resolved): a complete new file beside it first, put in its place only
// when whole, so a failed write leaves the last page as it was. A file that cannot be written is
// reported with its reason; true when the page was written.
bool publishStatisticsPage(AppContext& context, CDoc& doc, const PublishSettings& settings,
                           const std::string& reportFile, TimeValue now);
