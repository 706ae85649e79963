#include "plugin/ListenPayload.h"

#include <cstdint>
#include <cstring>
#include <iterator>
#include <vector>


#include "database/PlayExclusion.h"
#include "database/TrackRecord.h"
#include "plugin/JsonItems.h"
#include "plugin/ServerAnswers.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {

constexpr long long kMaxDurationMs = 24LL * 24 * 3600 * 1000;
// The text of each fault, in the order of ListenFault after `none`.
constexpr int kFaultTexts[] = {
    IDS_LISTEN_NOT_JSON,    IDS_LISTEN_TOO_LARGE, IDS_LISTEN_EXTRA_KEY, IDS_LISTEN_BAD_TIME,     IDS_LISTEN_NO_METADATA,
    IDS_LISTEN_NO_ARTIST,   IDS_LISTEN_NO_TITLE,  IDS_LISTEN_BAD_INFO,  IDS_LISTEN_BAD_DURATION, IDS_LISTEN_NUL_CHARACTER};
static_assert(std::size(kFaultTexts) == static_cast<std::size_t>(ListenFault::nulCharacter), "one text per fault");

bool blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

bool nonEmptyText(const std::vector<JsonItem>& items, std::string_view path) {
    const JsonItem* item = findJsonItem(items, path);
    if (!item || item->kind != JsonItem::Kind::text) return false;
    for (char c : item->text)
        if (!blank(c)) return true;
    return false;
}

}  // namespace

std::string buildListen(const CTrackRecord& record, const ExportClient& client) {
    auto writer = makePlayWriter(PlayFormat::listenBrainz, client);
    writer->add(record);
    std::string listen(writer->pending());
    // The seconds heard, which the export leaves out (its readers take a play as heard whole).
    constexpr std::string_view kInfo = "\"additional_info\":{";
    const std::size_t info = listen.rfind(kInfo);
    if (record.played > 0 && info != std::string::npos)
        listen.insert(info + kInfo.size(), "\"duration_played\":" + std::to_string(record.played) + ",");
    return listen;
}

std::string buildPlayingNow(const CTrackRecord& record, const ExportClient& client) {
    std::string listen = buildListen(record, client);
    // The writer begins every listen with its time: {"listened_at":<digits>,"track_metadata":...
    const std::size_t metadata = listen.find("\"track_metadata\"");
    if (metadata == std::string::npos) return listen;
    return "{" + listen.substr(metadata);
}

bool meetsListenRule(int lengthSeconds, int playedSeconds) {
    if (playedSeconds >= 240) return true;
    return lengthSeconds > 0 && 2LL * playedSeconds >= lengthSeconds;
}

bool playIsSent(const CTrackRecord& record, const std::string& keepOutRules, bool listenRule) {
    if (listenRule && !meetsListenRule(record.length, record.played)) return false;
    return keepOutRules.empty() || !isExcludedPlay(record, ExclusionRules(parseExclusionRules(keepOutRules)));
}

ListenFault checkListen(std::string_view json, TimeValue now, bool playingNow) {
    if (json.size() > kMaxListenBytes) return ListenFault::tooLarge;
    if (std::memchr(json.data(), 0, json.size())) return ListenFault::nulCharacter;
    std::vector<JsonItem> items;
    if (!readJsonItems(json, items) || items.empty() || items[0].kind != JsonItem::Kind::object)
        return ListenFault::notJson;
    for (const JsonItem& item : items) {
        // RapidJSON decodes "\u0000" into the text; a key's NUL shows in its path.
        if (item.text.find('\0') != std::string::npos || item.path.find('\0') != std::string::npos)
            return ListenFault::nulCharacter;
        if (item.depth == 1 && item.path != "listened_at" && item.path != "track_metadata") return ListenFault::extraKey;
    }
    const JsonItem* at = findJsonItem(items, "listened_at");
    if (playingNow) {
        if (at) return ListenFault::badTime;
    } else {
        if (!at || at->kind != JsonItem::Kind::integer) return ListenFault::badTime;
        if (at->integer < kEarliestListen || at->integer >= static_cast<std::int64_t>(now) + kListenAheadLimit)
            return ListenFault::badTime;
    }
    const JsonItem* metadata = findJsonItem(items, "track_metadata");
    if (!metadata || metadata->kind != JsonItem::Kind::object) return ListenFault::noMetadata;
    if (!nonEmptyText(items, "track_metadata/artist_name")) return ListenFault::noArtist;
    if (!nonEmptyText(items, "track_metadata/track_name")) return ListenFault::noTitle;
    const JsonItem* info = findJsonItem(items, "track_metadata/additional_info");
    if (!info) return ListenFault::none;
    if (info->kind != JsonItem::Kind::object) return ListenFault::badInfo;
    if (const JsonItem* duration = findJsonItem(items, "track_metadata/additional_info/duration_ms")) {
        if (duration->kind != JsonItem::Kind::integer || duration->integer <= 0 || duration->integer > kMaxDurationMs)
            return ListenFault::badDuration;
    }
    return ListenFault::none;
}

std::string listenFaultText(ListenFault fault) {
    if (fault == ListenFault::none) return {};
    return loadString(kFaultTexts[static_cast<int>(fault) - 1]);
}

ListenSummary summarizeListen(std::string_view json) {
    constexpr std::size_t kShownLimit = 256;
    ListenSummary summary;
    std::vector<JsonItem> items;
    if (!readJsonItems(json, items)) return summary;
    auto text = [&](std::string_view path) {
        const JsonItem* item = findJsonItem(items, path);
        return item && item->kind == JsonItem::Kind::text ? cleaned(item->text, kShownLimit) : std::string();
    };
    summary.artist = text("track_metadata/artist_name");
    summary.title = text("track_metadata/track_name");
    const JsonItem* at = findJsonItem(items, "listened_at");
    if (at && at->kind == JsonItem::Kind::integer && at->integer > 0 && at->integer <= INT32_MAX) summary.listenedAt = static_cast<TimeValue>(at->integer);
    return summary;
}
