// Publishing the report: the rows of the Publish settings written through the header, item and
// footer templates, with the user's programs run before and after.
#pragma once
#include <string>

#include "core/Clock.h"

struct AppContext;
class CDoc;
class IShell;

// Writes the report file named by "PublishFile" (nothing at all when it is empty). Uses the
// context's profile, clock, files, messages, program runner, progress windows and view hooks.
void publishReport(AppContext& context, CDoc& doc, IShell& shell);

// Whether a report file is a web page (".htm" or ".html", any case): its values are then escaped.
bool isHtmlReportFile(const std::string& path);
