#include "exchange/PlayWriters.h"

#include <charconv>
#include <initializer_list>

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "core/FileSystem.h"
#include "core/TimeFormat.h"
#include "database/TrackRecord.h"
#include "core/CodePage.h"
#include "core/Utf.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {

void appendNumber(std::string& out, long long value) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, static_cast<std::size_t>(end - digits));
}

// --- ListenBrainz JSON ---

// What the three formats share: the bytes made since the last hand-over, in one buffer.
class BufferedPlayWriter : public PlayWriter {
public:
    void end() override {}
    std::string_view pending() const override { return out_; }
    void clearPending() override { out_.clear(); }

protected:
    std::string out_;
};

// The listens' fixed structure is literal text; every text value is escaped by the JSON library.
class ListenBrainzWriter : public BufferedPlayWriter {
public:
    explicit ListenBrainzWriter(const ExportClient& client) : escaper_(escaped_) {
        // The client's part of every listen, escaped once.
        tail_ = "\"media_player\":\"Winamp\"";
        if (!client.name.empty()) tail_ += ",\"submission_client\":" + quoted(client.name);
        if (!client.version.empty()) tail_ += ",\"submission_client_version\":" + quoted(client.version);
        tail_ += "}}}";
    }

    void begin() override { out_ += '['; }

    void add(const CTrackRecord& r) override {
        out_ += first_ ? "{\"listened_at\":" : ",{\"listened_at\":";
        first_ = false;
        // The start of playback, as the services define a listen's time.
        appendNumber(out_, r.ListenedAt());
        out_ += ",\"track_metadata\":{";
        // A key with no value is left out: the importers take an empty text as a value.
        const std::size_t open = out_.size();
        text("\"artist_name\":", r.Text(FieldArtist), open);
        text("\"track_name\":", r.Text(FieldTitle), open);
        text("\"release_name\":", r.Text(FieldAlbum), open);
        if (out_.size() != open) out_ += ',';
        out_ += "\"additional_info\":{";
        if (r.length > 0) {
            out_ += "\"duration_ms\":";
            appendNumber(out_, static_cast<long long>(r.length) * 1000);
            out_ += ',';
        }
        if (int track = r.tag.trackNumber()) {
            out_ += "\"tracknumber\":";
            appendNumber(out_, track);
            out_ += ',';
        }
        out_ += tail_;
    }

    void end() override { out_ += "]\n"; }


private:
    std::string quoted(std::string_view utf8) {
        escaped_.Clear();
        escaper_.Reset(escaped_);
        escaper_.String(utf8.data(), static_cast<rapidjson::SizeType>(utf8.size()));
        return {escaped_.GetString(), escaped_.GetSize()};
    }
    void text(const char* jsonKey, const std::string& utf8, std::size_t open) {
        if (utf8.empty()) return;
        if (out_.size() != open) out_ += ',';
        out_ += jsonKey;
        escaped_.Clear();
        escaper_.Reset(escaped_);
        escaper_.String(utf8.data(), static_cast<rapidjson::SizeType>(utf8.size()));
        out_.append(escaped_.GetString(), escaped_.GetSize());
    }

    std::string tail_;
    bool first_ = true;
    rapidjson::StringBuffer escaped_;
    rapidjson::Writer<rapidjson::StringBuffer> escaper_;
};

// --- Scrobbler log 1.1 ---

class ScrobblerLogWriter : public BufferedPlayWriter {
public:
    explicit ScrobblerLogWriter(const ExportClient& client) : client_(client) {}

    void begin() override {
        out_ += "#AUDIOSCROBBLER/1.1\n#TZ/UTC\n#CLIENT/";
        field(client_.name + " " + client_.version);
        out_ += '\n';
    }

    // artist, album, title, track number, duration, rating, start (UTC), track id.
    void add(const CTrackRecord& r) override {
        field(r.Text(FieldArtist));
        out_ += '\t';
        field(r.Text(FieldAlbum));
        out_ += '\t';
        field(r.Text(FieldTitle));
        out_ += '\t';
        if (int track = r.tag.trackNumber()) appendNumber(out_, track);
        out_ += '\t';
        appendNumber(out_, r.length > 0 ? r.length : 0);
        out_ += "\tL\t";  // every stored play was heard
        appendNumber(out_, r.ListenedAt());
        out_ += "\t\n";
    }

private:
    // Tabs and line breaks would end the field or the line: they become spaces.
    void field(std::string_view utf8) {
        const std::size_t at = out_.size();
        out_.append(utf8.data(), utf8.size());
        const std::string_view value = utf8;
        bool control = false;  // one pass over the bytes; find_first_of searches the set per byte
        for (char c : value) control |= c == '\t' || c == '\n' || c == '\r';
        if (!control) return;
        for (std::size_t i = at; i < out_.size(); ++i)
            if (out_[i] == '\t' || out_[i] == '\n' || out_[i] == '\r') out_[i] = ' ';
    }

    ExportClient client_;
};

// --- CSV (RFC 4180) ---

class CsvWriter : public BufferedPlayWriter {
public:
    void begin() override {
        out_ += "\xEF\xBB\xBF";  // the byte order mark: spreadsheet programs then read UTF-8
        out_ += "start_local,start_unix,artist,title,album,year,genre,comment,length_s,played_s,path\r\n";
    }

    void add(const CTrackRecord& r) override {
        field(ansiToUtf8(formatDate(r.ListenedAt(), "%Y-%m-%dT%H:%M:%S")));
        out_ += ',';
        appendNumber(out_, r.ListenedAt());
        out_ += ',';
        const TrackTexts texts = r.Texts();
        for (const std::string* text : {&texts.artist, &texts.title, &texts.album, &texts.year, &texts.genre, &texts.comment}) {
            field(*text);
            out_ += ',';
        }
        appendNumber(out_, r.length);
        out_ += ',';
        appendNumber(out_, r.played);
        out_ += ',';
        field(r.widePath.empty() ? ansiToUtf8(r.path) : utf16ToUtf8(r.widePath));
        out_ += "\r\n";
    }

private:
    // Quoted when it holds a comma, a quote or a line break; quotes inside are doubled. A text
    // that a spreadsheet would take for a formula (tags come from anyone's files) starts with an
    // apostrophe, which makes the spreadsheet show it as text.
    void field(std::string_view utf8) {
        std::string guarded;
        if (!utf8.empty() && (utf8[0] == '=' || utf8[0] == '+' || utf8[0] == '-' || utf8[0] == '@' || utf8[0] == '\t' ||
                              utf8[0] == '\r')) {
            guarded.reserve(utf8.size() + 1);
            guarded += '\'';
            guarded += utf8;
            utf8 = guarded;
        }
        bool special = false;
        for (char c : utf8) special |= c == ',' || c == '"' || c == '\r' || c == '\n';
        if (!special) {
            out_ += utf8;
            return;
        }
        out_ += '"';
        for (char c : utf8) {
            if (c == '"') out_ += '"';
            out_ += c;
        }
        out_ += '"';
    }

};

}  // namespace

ExportClient playtallyClient() {
    ExportClient client;
    // The version is the last word of the caption the user sees ("... v 1.4").
    const std::string caption = loadString(IDS_PLUGIN_NAME);
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

