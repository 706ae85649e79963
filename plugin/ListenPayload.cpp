#include "plugin/ListenPayload.h"

#include <cstring>

#include <rapidjson/document.h>

#include "database/TrackRecord.h"
#include "resources/StringTable.h"

namespace {

constexpr long long kMaxDurationMs = 24LL * 24 * 3600 * 1000;
constexpr int kFirstFaultText = 2601;  // the string of ListenFault::notJson; the rest follow in order

bool blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

bool nonEmptyText(const rapidjson::Value& object, const char* name) {
    auto it = object.FindMember(name);
    if (it == object.MemberEnd() || !it->value.IsString()) return false;
    const char* text = it->value.GetString();
    for (rapidjson::SizeType i = 0; i < it->value.GetStringLength(); ++i)
        if (!blank(text[i])) return true;
    return false;
}

// Whether any text (a key or a value) at any depth holds a NUL; RapidJSON decodes "\u0000".
bool holdsNul(const rapidjson::Value& value) {
    if (value.IsString()) return std::memchr(value.GetString(), 0, value.GetStringLength()) != nullptr;
    if (value.IsArray()) {
        for (const auto& item : value.GetArray())
            if (holdsNul(item)) return true;
    }
    if (value.IsObject()) {
        for (const auto& member : value.GetObject())
            if (holdsNul(member.name) || holdsNul(member.value)) return true;
    }
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

ListenFault checkListen(std::string_view json, TimeValue now, bool playingNow) {
    if (json.size() > kMaxListenBytes) return ListenFault::tooLarge;
    if (std::memchr(json.data(), 0, json.size())) return ListenFault::nulCharacter;
    rapidjson::Document d;
    d.Parse(json.data(), json.size());
    if (d.HasParseError() || !d.IsObject()) return ListenFault::notJson;
    if (holdsNul(d)) return ListenFault::nulCharacter;
    for (const auto& member : d.GetObject()) {
        const std::string_view key(member.name.GetString(), member.name.GetStringLength());
        if (key != "listened_at" && key != "track_metadata") return ListenFault::extraKey;
    }
    auto at = d.FindMember("listened_at");
    if (playingNow) {
        if (at != d.MemberEnd()) return ListenFault::badTime;
    } else {
        if (at == d.MemberEnd() || !at->value.IsInt64()) return ListenFault::badTime;
        const long long t = at->value.GetInt64();
        if (t < kEarliestListen || t >= static_cast<long long>(now) + kListenAheadLimit) return ListenFault::badTime;
    }
    auto metadata = d.FindMember("track_metadata");
    if (metadata == d.MemberEnd() || !metadata->value.IsObject()) return ListenFault::noMetadata;
    const auto& m = metadata->value;
    if (!nonEmptyText(m, "artist_name")) return ListenFault::noArtist;
    if (!nonEmptyText(m, "track_name")) return ListenFault::noTitle;
    auto info = m.FindMember("additional_info");
    if (info == m.MemberEnd()) return ListenFault::none;
    if (!info->value.IsObject()) return ListenFault::badInfo;
    auto duration = info->value.FindMember("duration_ms");
    if (duration != info->value.MemberEnd()) {
        if (!duration->value.IsInt64()) return ListenFault::badDuration;
        const long long ms = duration->value.GetInt64();
        if (ms <= 0 || ms > kMaxDurationMs) return ListenFault::badDuration;
    }
    return ListenFault::none;
}

std::string listenFaultText(ListenFault fault) {
    if (fault == ListenFault::none) return {};
    return loadString(kFirstFaultText + static_cast<int>(fault) - 1);
}
