#include "exchange/PlayReaders.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <limits>

#include "exchange/JsonEvents.h"

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kLogSignature = "#AUDIOSCROBBLER/";

std::string_view withoutMark(std::string_view bytes) {
    if (bytes.substr(0, kByteOrderMark.size()) == kByteOrderMark) bytes.remove_prefix(kByteOrderMark.size());
    return bytes;
}

bool isJsonSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::size_t skipSpace(std::string_view bytes, std::size_t at) {
    while (at < bytes.size() && isJsonSpace(bytes[at])) ++at;
    return at;
}

// A length beyond a day is no track's: the length is then unknown.
constexpr double kLongestTrack = 86400;

bool inTimeRange(double value) {
    return value >= std::numeric_limits<TimeValue>::min() && value <= std::numeric_limits<TimeValue>::max();
}

// A track's position on its album as a tag or a file gives it: a whole number from 1 to 255,
// optionally followed by the album's count ("3/12"); 0 (none) for anything else.
std::uint8_t trackNumberOf(double number) {
    return number >= 1 && number <= 255 && number == std::floor(number) ? static_cast<std::uint8_t>(number) : 0;
}

std::uint8_t trackNumberOf(std::string_view text) {
    const std::size_t slash = text.find('/');
    const std::string_view digits = text.substr(0, slash);
    if (digits.empty() || digits.size() > 3) return 0;
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return 0;
        value = value * 10 + (c - '0');
    }
    return trackNumberOf(static_cast<double>(value));
}

// Lines and columns (from 1) of byte offsets that only ever grow, in one pass over the text.
class LineCounter {
public:
    explicit LineCounter(std::string_view text) : text_(text) {}
    void moveTo(std::size_t offset) {
        if (offset > text_.size()) offset = text_.size();
        if (offset < at_) at_ = lineStart_ = 0, line_ = 1;  // never in practice; stay correct
        for (; at_ < offset; ++at_)
            if (text_[at_] == '\n') ++line_, lineStart_ = at_ + 1;
    }
    long line() const { return line_; }
    long column() const { return static_cast<long>(at_ - lineStart_) + 1; }

private:
    std::string_view text_;
    std::size_t at_ = 0, lineStart_ = 0;
    long line_ = 1;
};

// --- ListenBrainz JSON, read as a stream of events ---

// A listen: {"listened_at": <seconds>, "track_metadata": {"artist_name", "track_name",
// "release_name", "additional_info": {"duration_ms" or "duration", "tracknumber"}}}; every other key, at any
// depth, is passed over. A text key whose value is null counts as absent.
class ListenHandler : public JsonEvents {
public:
    ListenHandler(const JsonInput& stream, std::size_t base, bool inArray, std::vector<ImportedListen>& out,
                  LineCounter& lines)
        : stream_(stream), base_(base), inArray_(inArray), out_(out), lines_(lines) {}

    // Set when the handler stopped the parse.
    bool failed = false;
    ReadError error;

    bool StartArray() override {
        if (levels_.empty() && inArray_) {
            levels_.push_back(array);
            return true;
        }
        return container(false);
    }
    bool EndArray() override { return close(); }
    bool StartObject() override { return container(true); }
    bool EndObject() override {
        if (at(listen) && !finishListen()) return false;
        return close();
    }
    bool Key(const char* text, std::size_t length) override {
        key_.assign(text, length);
        return true;
    }

    bool String(const char* text, std::size_t length) override { return scalar(Kind::text, 0, text, length); }
    bool Null() override { return scalar(Kind::null); }
    bool Bool(bool) override { return scalar(Kind::other); }
    bool Int(int v) override { return scalar(Kind::number, v); }
    bool Uint(unsigned v) override { return scalar(Kind::number, v); }
    bool Int64(std::int64_t v) override { return scalar(Kind::number, static_cast<double>(v)); }
    bool Uint64(std::uint64_t v) override { return scalar(Kind::number, static_cast<double>(v)); }
    bool Double(double v) override { return scalar(Kind::number, v); }

private:
    enum Level { array, listen, metadata, info, skipped };
    enum class Kind { null, number, text, other };

    bool at(Level level) const { return !levels_.empty() && levels_.back() == level; }
    bool whereAListenStands() const { return levels_.empty() || at(array); }

    // Stops the parse with a message about the listen being read (or the value at hand).
    bool stop(int message, const std::string& detail = {}) {
        failed = true;
        lines_.moveTo(whereAListenStands() ? base_ + stream_.Tell() : listenStart_);
        error = {message, lines_.line(), lines_.column(), detail};
        return false;
    }

    std::string* textTarget() {
        if (!at(metadata)) return nullptr;
        if (key_ == "artist_name") return &current_.artist;
        if (key_ == "track_name") return &current_.title;
        if (key_ == "release_name") return &current_.album;
        return nullptr;
    }

    bool scalar(Kind kind, double number = 0, const char* text = nullptr, std::size_t length = 0) {
        if (whereAListenStands()) return stop(kNotAListen);
        if (at(listen)) {
            if (key_ == "track_metadata") return stop(kNotAListen);
            if (key_ == "listened_at") {
                if (kind != Kind::number || number != std::floor(number) || !inTimeRange(number)) return stop(kListenTime);
                if (number < kEarliestListen) return stop(kListenTooEarly);
                current_.start = static_cast<TimeValue>(number);
                haveTime_ = true;
            }
            return true;
        }
        if (std::string* target = textTarget()) {
            if (kind == Kind::text) {
                target->assign(text, length);
                // A "\u0000" would end the text wherever it is shown: it is left out.
                target->erase(std::remove(target->begin(), target->end(), '\0'), target->end());
            }
            else if (kind != Kind::null)
                return stop(kNotAText, key_);
            return true;
        }
        if (at(info) && key_ == "tracknumber") {
            if (kind == Kind::number) current_.track = trackNumberOf(number);
            if (kind == Kind::text) current_.track = trackNumberOf(std::string_view(text, length));
            return true;
        }
        if (at(info) && kind == Kind::number && (key_ == "duration_ms" || key_ == "duration")) {
            // An odd duration is no reason to refuse the listen: its length is then unknown.
            const double seconds = key_ == "duration" ? number : number / 1000.0;
            if (seconds >= 0 && seconds <= kLongestTrack)
                current_.length = static_cast<std::int32_t>(std::lround(seconds));
        }
        return true;
    }

    bool container(bool object) {
        Level next = skipped;
        if (whereAListenStands()) {
            if (!object) return stop(kNotAListen);
            next = listen;
            listenStart_ = base_ + stream_.Tell();
            current_ = ImportedListen{};
            haveTime_ = haveMetadata_ = false;
        } else if (at(listen) && key_ == "track_metadata") {
            if (!object) return stop(kNotAListen);
            next = metadata;
            haveMetadata_ = true;
        } else if (at(listen) && key_ == "listened_at") {
            return stop(kListenTime);
        } else if (textTarget()) {
            return stop(kNotAText, key_);
        } else if (at(metadata) && key_ == "additional_info" && object) {
            next = info;
        }
        levels_.push_back(next);
        return true;
    }

    bool close() {
        if (!levels_.empty()) levels_.pop_back();
        return true;
    }

    bool finishListen() {
        if (!haveMetadata_) return stop(kNotAListen);
        if (!haveTime_) return stop(kListenTime);
        out_.push_back(std::move(current_));
        return true;
    }

    const JsonInput& stream_;
    std::size_t base_;  // offset of the stream's start in the file
    bool inArray_;
    std::vector<ImportedListen>& out_;
    LineCounter& lines_;
    std::vector<Level> levels_;
    std::string key_;
    ImportedListen current_;
    bool haveTime_ = false, haveMetadata_ = false;
    std::size_t listenStart_ = 0;
};

// Parses one JSON value from `at` (the whole rest of the file for the array form); true when it
// was read. `at` moves past it.
bool parseValue(std::string_view bytes, std::size_t& at, bool inArray, std::vector<ImportedListen>& out,
                LineCounter& lines, ReadError& error) {
    JsonInput stream(bytes.substr(at));
    ListenHandler handler(stream, at, inArray, out, lines);
    const JsonParseResult result = parseJson(stream, handler, inArray);
    if (handler.failed) {
        error = handler.error;
        return false;
    }
    if (!result.ok) {
        lines.moveTo(at + result.offset);
        error = {kJsonBroken, lines.line(), lines.column(), result.reason};
        return false;
    }
    at += stream.Tell();
    return true;
}

bool readListenBrainz(std::string_view bytes, bool inArray, std::vector<ImportedListen>& out, ReadError& error) {
    LineCounter lines(bytes);
    std::size_t at = 0;
    if (inArray) return parseValue(bytes, at, true, out, lines, error);
    // One listen after the other, one per line as the export archive has them (a listen spread
    // over several lines reads as well).
    while ((at = skipSpace(bytes, at)) < bytes.size())
        if (!parseValue(bytes, at, false, out, lines, error)) return false;
    return true;
}

// --- Scrobbler log ---

// A whole decimal number, optionally negative, fitting a TimeValue.
bool parseWhole(std::string_view text, std::int64_t& value) {
    if (text.empty() || text.size() > 12) return false;
    std::size_t i = text[0] == '-' ? 1 : 0;
    if (i == text.size()) return false;
    std::int64_t v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + (text[i] - '0');
    }
    value = text[0] == '-' ? -v : v;
    return inTimeRange(static_cast<double>(value));
}

bool readScrobblerLog(std::string_view bytes, std::vector<ImportedListen>& out, ReadError& error,
                      TimeValue (*localToUtc)(std::int64_t)) {
    bool localTimes = false;
    bool inHeader = true;
    std::size_t fieldsOfAPlay = 8;  // version 1.1; 1.0 had seven
    long line = 0;
    std::string_view fields[9];
    for (std::size_t at = 0; at < bytes.size();) {
        // Lines end in CR LF, LF or a lone CR (as older Mac tools write them).
        std::size_t end = bytes.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view text = bytes.substr(at, end - at);
        at = end + (bytes.substr(end, 2) == "\r\n" ? 2 : 1);
        ++line;
        if (text.empty()) continue;
        // The '#' lines before the first play are the header; a later one is a play whose artist
        // starts with '#'. Only the version and the time zone matter here.
        if (inHeader && text[0] == '#') {
            if (text.substr(0, 4) == "#TZ/") localTimes = text.substr(4) != "UTC";
            if (text == "#AUDIOSCROBBLER/1.0") fieldsOfAPlay = 7;
            continue;
        }
        inHeader = false;
        std::size_t count = 0;
        for (std::size_t from = 0;;) {
            std::size_t tab = text.find('\t', from);
            if (count < 9) fields[count] = text.substr(from, tab == std::string_view::npos ? std::string_view::npos : tab - from);
            ++count;
            if (tab == std::string_view::npos) break;
            from = tab + 1;
        }
        auto failAt = [&](int message, std::string detail = {}) {
            error = {message, line, 1, std::move(detail)};
            out.clear();
            return false;
        };
        // Version 1.1 has eight fields (the last, the track id, may be empty); 1.0 had seven. A line
        // of another count is a cut or damaged file, never a play.
        if (count != fieldsOfAPlay) return failAt(kLogFieldCount, std::to_string(count));
        if (fields[5] != "L" && fields[5] != "S") return failAt(kLogRating);
        std::int64_t start = 0, duration = 0;
        if (!parseWhole(fields[6], start)) return failAt(kLogStart);
        const TimeValue utc = localTimes ? (localToUtc ? localToUtc : systemLocalToUtc)(start) : static_cast<TimeValue>(start);
        if (utc < kEarliestListen) return failAt(kLogTooEarly);
        if (!fields[4].empty() && (!parseWhole(fields[4], duration) || duration < 0)) return failAt(kLogDuration);
        if (fields[5] == "S") continue;  // skipped, not heard
        ImportedListen listen;
        listen.start = utc;
        listen.length = duration <= kLongestTrack ? static_cast<std::int32_t>(duration) : 0;
        listen.track = trackNumberOf(fields[3]);
        listen.artist = std::string(fields[0]);
        listen.album = std::string(fields[1]);
        listen.title = std::string(fields[2]);
        out.push_back(std::move(listen));
    }
    return true;
}

}  // namespace

TimeValue systemLocalToUtc(std::int64_t local) {
    std::time_t t = static_cast<std::time_t>(local);
    std::tm parts{};
#ifdef _WIN32
    if (gmtime_s(&parts, &t) != 0) return static_cast<TimeValue>(local);
#else
    if (!gmtime_r(&t, &parts)) return static_cast<TimeValue>(local);
#endif
    parts.tm_isdst = -1;  // the zone's own rule for that day
    const std::time_t utc = std::mktime(&parts);
    if (utc == static_cast<std::time_t>(-1) || !inTimeRange(static_cast<double>(utc))) return static_cast<TimeValue>(local);
    return static_cast<TimeValue>(utc);
}

ListenFormat detectListenFormat(std::string_view bytes) {
    bytes = withoutMark(bytes);
    if (bytes.substr(0, kLogSignature.size()) == kLogSignature) return ListenFormat::scrobblerLog;
    std::size_t at = skipSpace(bytes, 0);
    if (at < bytes.size() && bytes[at] == '[') return ListenFormat::listenBrainzArray;
    if (at < bytes.size() && bytes[at] == '{') return ListenFormat::listenBrainzLines;
    return ListenFormat::unknown;
}

bool readListens(std::string_view bytes, std::vector<ImportedListen>& out, ReadError& error,
                 TimeValue (*localToUtc)(std::int64_t)) {
    out.clear();
    error = ReadError{};
    const ListenFormat format = detectListenFormat(bytes);
    bytes = withoutMark(bytes);
    bool read = false;
    switch (format) {
    case ListenFormat::unknown:
        error.message = kNotAPlaysFile;
        break;
    case ListenFormat::listenBrainzArray:
    case ListenFormat::listenBrainzLines:
        read = readListenBrainz(bytes, format == ListenFormat::listenBrainzArray, out, error);
        break;
    case ListenFormat::scrobblerLog:
        read = readScrobblerLog(bytes, out, error, localToUtc);
        break;
    }
    if (!read) out.clear();
    return read;
}
