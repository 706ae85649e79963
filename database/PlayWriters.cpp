#include "database/PlayWriters.h"

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "database/TimeFormat.h"
#include "database/TrackRecord.h"
#include "database/Utf8Text.h"
#include "resources/StringTable.h"

namespace {

constexpr int kPluginCaption = 1;  // "Dozoderi Playtally v 1.4"

// ID3v1.1: a comment whose 29th byte is 0 and whose 30th is not holds the track number there.
constexpr std::size_t kCommentOffset = 94;

void appendNumber(std::string& out, long long value) {
    char digits[24];
    int n = 0;
    const bool negative = value < 0;
    unsigned long long v = negative ? 0ull - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
    do {
        digits[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v);
    if (negative) out += '-';
    while (n) out += digits[--n];
}

// --- ListenBrainz JSON ---

class ListenBrainzWriter : public PlayWriter {
public:
    explicit ListenBrainzWriter(const ExportClient& client) : client_(client), writer_(buffer_) {}

    void begin() override { writer_.StartArray(); }

    void add(const CTrackRecord& r) override {
        writer_.StartObject();
        key("listened_at");
        writer_.Int64(r.date);
        key("track_metadata");
        writer_.StartObject();
        // A key with no value is left out: the importers take an empty text as a value.
        text("artist_name", r.tag.artist());
        text("track_name", r.tag.title());
        text("release_name", r.tag.album());
        key("additional_info");
        writer_.StartObject();
        if (r.length > 0) {
            key("duration_ms");
            writer_.Int64(static_cast<long long>(r.length) * 1000);
        }
        if (int track = id3TrackNumber(r)) {
            key("tracknumber");
            writer_.Int(track);
        }
        key("media_player");
        writer_.String("Winamp");
        text("submission_client", client_.name, false);
        text("submission_client_version", client_.version, false);
        writer_.EndObject();
        writer_.EndObject();
        writer_.EndObject();
    }

    void end() override { writer_.EndArray(); }

    std::string_view pending() const override { return {buffer_.GetString(), buffer_.GetSize()}; }
    // The writer keeps its place in the array: only the bytes already taken go.
    void clearPending() override { buffer_.Clear(); }

private:
    void key(const char* name) { writer_.Key(name); }
    void text(const char* name, std::string_view value, bool ansi = true) {
        if (value.empty()) return;
        key(name);
        if (ansi) {
            utf8_.clear();
            appendAnsiAsUtf8(utf8_, value);
            value = utf8_;
        }
        writer_.String(value.data(), static_cast<rapidjson::SizeType>(value.size()));
    }

    ExportClient client_;
    rapidjson::StringBuffer buffer_;
    rapidjson::Writer<rapidjson::StringBuffer> writer_;
    std::string utf8_;
};

// --- Scrobbler log 1.1 ---

class ScrobblerLogWriter : public PlayWriter {
public:
    explicit ScrobblerLogWriter(const ExportClient& client) : client_(client) {}

    void begin() override {
        out_ += "#AUDIOSCROBBLER/1.1\n#TZ/UTC\n#CLIENT/";
        field(client_.name + " " + client_.version, false);
        out_ += '\n';
    }

    // artist, album, title, track number, duration, rating, start (UTC), track id.
    void add(const CTrackRecord& r) override {
        field(r.tag.artist());
        out_ += '\t';
        field(r.tag.album());
        out_ += '\t';
        field(r.tag.title());
        out_ += '\t';
        if (int track = id3TrackNumber(r)) appendNumber(out_, track);
        out_ += '\t';
        appendNumber(out_, r.length > 0 ? r.length : 0);
        out_ += "\tL\t";  // every stored play was heard
        appendNumber(out_, r.date);
        out_ += "\t\n";
    }

    void end() override {}
    std::string_view pending() const override { return out_; }
    void clearPending() override { out_.clear(); }

private:
    // Tabs and line breaks would end the field or the line: they become spaces.
    void field(std::string_view value, bool ansi = true) {
        const std::size_t at = out_.size();
        if (ansi)
            appendAnsiAsUtf8(out_, value);
        else
            out_.append(value.data(), value.size());
        for (std::size_t i = at; i < out_.size(); ++i)
            if (out_[i] == '\t' || out_[i] == '\n' || out_[i] == '\r') out_[i] = ' ';
    }

    ExportClient client_;
    std::string out_;
};

// --- CSV (RFC 4180) ---

class CsvWriter : public PlayWriter {
public:
    void begin() override {
        out_ += "\xEF\xBB\xBF";  // the byte order mark: spreadsheet programs then read UTF-8
        out_ += "start_local,start_unix,artist,title,album,year,genre,comment,length_s,played_s,path\r\n";
    }

    void add(const CTrackRecord& r) override {
        field(formatDate(r.date, "%Y-%m-%dT%H:%M:%S"));
        out_ += ',';
        appendNumber(out_, r.date);
        out_ += ',';
        field(r.tag.artist());
        out_ += ',';
        field(r.tag.title());
        out_ += ',';
        field(r.tag.album());
        out_ += ',';
        field(r.tag.year());
        out_ += ',';
        field(genreName(r.tag.genre()));
        out_ += ',';
        field(r.tag.comment());
        out_ += ',';
        appendNumber(out_, r.length);
        out_ += ',';
        appendNumber(out_, r.played);
        out_ += ',';
        field(r.path);
        out_ += "\r\n";
    }

    void end() override {}
    std::string_view pending() const override { return out_; }
    void clearPending() override { out_.clear(); }

private:
    // Quoted when it holds a comma, a quote or a line break; quotes inside are doubled.
    void field(std::string_view ansi) {
        utf8_.clear();
        appendAnsiAsUtf8(utf8_, ansi);
        if (utf8_.find_first_of(",\"\r\n") == std::string::npos) {
            out_ += utf8_;
            return;
        }
        out_ += '"';
        for (char c : utf8_) {
            if (c == '"') out_ += '"';
            out_ += c;
        }
        out_ += '"';
    }

    std::string out_;
    std::string utf8_;
};

}  // namespace

ExportClient playtallyClient() {
    ExportClient client;
    // The version is the last word of the caption the user sees ("... v 1.4").
    const std::string caption = loadString(kPluginCaption);
    const std::size_t space = caption.rfind(' ');
    client.version = space == std::string::npos ? caption : caption.substr(space + 1);
    return client;
}

std::unique_ptr<PlayWriter> makePlayWriter(PlayFormat format, const ExportClient& client) {
    switch (format) {
    case PlayFormat::listenBrainz:
        return std::make_unique<ListenBrainzWriter>(client);
    case PlayFormat::scrobblerLog:
        return std::make_unique<ScrobblerLogWriter>(client);
    case PlayFormat::csv:
        return std::make_unique<CsvWriter>();
    }
    return nullptr;
}

std::string defaultExportName(PlayFormat format, TimeValue now) {
    const std::string day = formatDate(now, "%Y-%m-%d");
    switch (format) {
    case PlayFormat::listenBrainz:
        return "playtally_lb-" + day + ".json";
    case PlayFormat::scrobblerLog:
        return ".scrobbler.log";  // the name the upload tools look for on a player
    case PlayFormat::csv:
        return "playtally-" + day + ".csv";
    }
    return {};
}

int id3TrackNumber(const CTrackRecord& record) {
    const auto& body = record.tag.body();
    const std::uint8_t zero = body[kCommentOffset + 28];
    const std::uint8_t track = body[kCommentOffset + 29];
    return zero == 0 && track != 0 ? track : 0;
}
