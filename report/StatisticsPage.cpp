#include "report/StatisticsPage.h"

#include <algorithm>

#include "core/TimeFormat.h"
#include "report/ReplaceTag.h"

namespace {

const char* const kStyle =
    "body{font-family:Verdana,Helvetica,Arial,sans-serif;font-size:12px;background:#fbfbf4;color:#222;"
    "margin:0 auto;padding:8px;max-width:1000px;box-sizing:border-box}\n"
    "h1{font-size:20px;margin:4px 0}h2{font-size:16px;margin:18px 0 6px;border-bottom:1px solid #aa9}"
    "h3{font-size:13px;margin:10px 0 4px}\n"
    "table{border-collapse:collapse;margin:0 0 8px}td,th{border:1px solid #ccb;padding:2px 5px;text-align:left;"
    "vertical-align:top;white-space:nowrap}th{background:#e8e8d8;font-weight:normal}\n"
    "td.t{white-space:normal;overflow-wrap:anywhere}td.n{text-align:right}td.bar{width:60%}\n"
    ".bar div{background:#6a7fb0;height:9px}\n"
    ".lists{display:flex;flex-wrap:wrap;gap:0 12px}.lists>div{width:486px;max-width:100%}\n"
    ".lists table{width:100%}.grid td{width:90px}.grid td.dark{color:#fff}\n"
    "p.note{color:#555;font-size:11px}\n";

const char* const kPeriodNames[kStatPeriodCount] = {"Last 7 days", "Last 30 days", "Last 365 days", "All time"};
const char* const kWeekdays[7] = {"Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};

// Written by hand: formatted printing would bring a whole printf into the plug-in for this.
std::string twoDigits(int value) {
    if (value < 0 || value > 99) return std::to_string(value);
    return std::string{static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
}

std::string dayText(const ActivityBar& bar) {
    return std::to_string(bar.year) + "-" + twoDigits(bar.month) + "-" + twoDigits(bar.day);
}
std::string monthText(const ActivityBar& bar) { return std::to_string(bar.year) + "-" + twoDigits(bar.month); }

class PageBuilder {
public:
    void text(const std::string& html) { out_ += html; }
    void heading(const char* level, const std::string& title) {
        out_ += "<";
        out_ += level;
        out_ += ">" + htmlEscape(title) + "</" + level + ">\n";
    }
    void beginTable(const char* cls, std::initializer_list<const char*> headers) {
        out_ += cls ? std::string("<table class=\"") + cls + "\">" : std::string("<table>");
        out_ += "<tr>";
        for (const char* h : headers) out_ += std::string("<th>") + h + "</th>";
        out_ += "</tr>\n";
    }
    void endTable() { out_ += "</table>\n"; }
    void beginRow() { out_ += "<tr>"; }
    void endRow() { out_ += "</tr>\n"; }
    void cell(const std::string& value) { out_ += "<td>" + htmlEscape(value) + "</td>"; }
    // A name (artist, album, title), which may wrap anywhere so that no name widens the page.
    void name(const std::string& value) { out_ += "<td class=\"t\">" + htmlEscape(value) + "</td>"; }
    void number(std::int64_t value) { out_ += "<td class=\"n\">" + std::to_string(value) + "</td>"; }
    void heard(std::int64_t seconds) { out_ += "<td class=\"n\">" + formatHeard(seconds) + "</td>"; }
    // A bar of the value against the table's largest; the figure has its own cell beside it.
    void bar(std::int64_t value, std::int64_t largest) {
        const int tenths = largest > 0 ? static_cast<int>(value * 1000 / largest) : 0;
        out_ += "<td class=\"bar\"><div style=\"width:" + std::to_string(tenths / 10) + "." +
                std::to_string(tenths % 10) + "%\"></div></td>";
    }
    // A cell shaded by the value against the largest, its figure written in it.
    void shaded(std::int64_t value, std::int64_t largest) {
        const int percent = largest > 0 ? static_cast<int>(value * 100 / largest) : 0;
        const int alpha = percent * 85 / 100;  // the darkest shade still lets the figure be read
        out_ += std::string("<td class=\"n") + (alpha > 50 ? " dark" : "") + "\" style=\"background:rgba(40,70,150,0." +
                twoDigits(alpha) + ")\">" + formatHeard(value) + "</td>";
    }
    std::string take() { return std::move(out_); }

private:
    std::string out_;
};

void writeFigures(PageBuilder& page, const char* label, const StatFigures& f) {
    page.beginRow();
    page.cell(label);
    page.number(f.plays);
    page.heard(f.heard);
    page.number(f.tracks);
    page.number(f.artists);
    page.number(f.albums);
    page.endRow();
}

void writePeriods(PageBuilder& page, const ListeningStats& stats) {
    page.heading("h2", "Periods");
    page.beginTable(nullptr, {"Period", "", "Plays", "Time heard", "Tracks", "Artists", "Albums"});
    for (int p = 0; p < kStatPeriodCount; ++p) {
        const PeriodStats& period = stats.periods[p];
        const bool before = p != StatAllTime;
        page.text(std::string("<tr><td rowspan=\"") + (before ? "2" : "1") + "\">" + kPeriodNames[p] + "</td>");
        page.cell("this period");
        page.number(period.current.plays);
        page.heard(period.current.heard);
        page.number(period.current.tracks);
        page.number(period.current.artists);
        page.number(period.current.albums);
        page.endRow();
        if (before) writeFigures(page, "the period before", period.previous);
    }
    page.endTable();
}

template <class Label>
void writeBars(PageBuilder& page, const char* title, const char* unit, const std::vector<ActivityBar>& bars,
               Label label) {
    page.text("<div>");
    page.heading("h3", title);
    std::int64_t largest = 0;
    for (const ActivityBar& bar : bars) largest = std::max(largest, bar.heard);
    page.beginTable(nullptr, {unit, "Plays", "Time heard", "Time heard as a bar"});
    for (const ActivityBar& bar : bars) {
        page.beginRow();
        page.cell(label(bar));
        page.number(bar.plays);
        page.heard(bar.heard);
        page.bar(bar.heard, largest);
        page.endRow();
    }
    page.endTable();
    page.text("</div>\n");
}

void writeActivity(PageBuilder& page, const ListeningStats& stats) {
    page.heading("h2", "Activity");
    page.text("<div class=\"lists\">\n");
    writeBars(page, "The last 31 days", "Day", stats.days, dayText);
    writeBars(page, "The last 52 weeks", "Week from", stats.weeks, dayText);
    writeBars(page, "Months", "Month", stats.months, monthText);
    writeBars(page, "Years", "Year", stats.years, [](const ActivityBar& b) { return std::to_string(b.year); });
    page.text("</div>\n");
}

void writeGrid(PageBuilder& page, const ListeningStats& stats) {
    page.heading("h2", "Time heard by hour and weekday");
    std::int64_t largest = 0;
    for (const auto& day : stats.heardByWeekdayHour)
        for (std::int64_t value : day) largest = std::max(largest, value);
    page.beginTable("grid", {"Hour", kWeekdays[0], kWeekdays[1], kWeekdays[2], kWeekdays[3], kWeekdays[4],
                             kWeekdays[5], kWeekdays[6]});
    for (int hour = 0; hour < 24; ++hour) {
        page.beginRow();
        page.cell(twoDigits(hour) + ":00");
        for (int day = 0; day < 7; ++day) page.shaded(stats.heardByWeekdayHour[day][hour], largest);
        page.endRow();
    }
    page.endTable();
}

enum class EntryKind { Artist, Album, Track };

void writeTop(PageBuilder& page, const std::string& title, const std::vector<TopEntry>& list, EntryKind kind) {
    page.text("<div>");
    page.heading("h3", title);
    if (kind == EntryKind::Artist) page.beginTable(nullptr, {"#", "Artist", "Plays", "Time heard"});
    else page.beginTable(nullptr, {"#", "Artist", kind == EntryKind::Album ? "Album" : "Title", "Plays", "Time heard"});
    for (std::size_t i = 0; i < list.size(); ++i) {
        page.beginRow();
        page.number(static_cast<std::int64_t>(i + 1));
        page.name(list[i].artist);
        if (kind != EntryKind::Artist) page.name(list[i].name);
        page.number(list[i].plays);
        page.heard(list[i].heard);
        page.endRow();
    }
    page.endTable();
    page.text("</div>\n");
}

void writeTopLists(PageBuilder& page, const ListeningStats& stats) {
    for (int p = 0; p < kStatPeriodCount; ++p) {
        const PeriodStats& period = stats.periods[p];
        const std::string name = kPeriodNames[p];
        page.heading("h2", "Top 10: " + name);
        page.text("<div class=\"lists\">\n");
        writeTop(page, "Artists by time heard", period.artists.byHeard, EntryKind::Artist);
        writeTop(page, "Artists by plays", period.artists.byPlays, EntryKind::Artist);
        writeTop(page, "Albums by time heard", period.albums.byHeard, EntryKind::Album);
        writeTop(page, "Albums by plays", period.albums.byPlays, EntryKind::Album);
        writeTop(page, "Tracks by time heard", period.tracks.byHeard, EntryKind::Track);
        writeTop(page, "Tracks by plays", period.tracks.byPlays, EntryKind::Track);
        page.text("</div>\n");
    }
}

void writeReviews(PageBuilder& page, const ListeningStats& stats) {
    for (const YearReview& review : stats.reviews) {
        const std::string year = std::to_string(review.year);
        page.heading("h2", "The year " + year + " in review");
        page.beginTable(nullptr, {"Year", "Plays", "Time heard", "Tracks", "Artists", "Albums", "Artists first heard",
                                  "Busiest day", "Plays that day", "Time heard that day"});
        page.beginRow();
        page.cell(year);
        page.number(review.figures.plays);
        page.heard(review.figures.heard);
        page.number(review.figures.tracks);
        page.number(review.figures.artists);
        page.number(review.figures.albums);
        page.number(review.newArtistCount);
        page.cell(dayText(review.busiestDay));
        page.number(review.busiestDay.plays);
        page.heard(review.busiestDay.heard);
        page.endRow();
        page.endTable();
        page.text("<div class=\"lists\">\n");
        writeTop(page, "Top artists of " + year, review.topArtists, EntryKind::Artist);
        writeTop(page, "Top tracks of " + year, review.topTracks, EntryKind::Track);
        writeTop(page, "Most heard of the artists first heard in " + year, review.newArtists, EntryKind::Artist);
        page.text("</div>\n");
    }
}

}  // namespace

std::string buildStatisticsPage(const ListeningStats& stats, const std::string& generated) {
    PageBuilder page;
    page.text("<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
              "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
              "<title>Listening statistics</title>\n<style>\n");
    page.text(kStyle);
    page.text("</style>\n</head>\n<body>\n");
    page.heading("h1", "Listening statistics");
    page.text("<p class=\"note\">Generated " + htmlEscape(generated) +
              ". Time heard is the time each play was really listened to, pauses left out. A play counts "
              "in the period and the year it started in; the activity and the hours share its time among the "
              "days and hours it was heard in.");
    if (stats.excludedPlays > 0)
        page.text(" " + std::to_string(stats.excludedPlays) + " stored plays are kept out of these figures by your rules.");
    page.text("</p>\n");
    writePeriods(page, stats);
    writeActivity(page, stats);
    writeGrid(page, stats);
    writeTopLists(page, stats);
    writeReviews(page, stats);
    page.text("</body>\n</html>\n");
    return page.take();
}
