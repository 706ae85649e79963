// What the database file tests share: file bytes built by hand from the layout (independent of
// the archive code), recording fakes, and a document set up over a given file system.
#pragma once
#include "tests/native/TagBytes.h"
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "database/Doc.h"
#include "core/FileSystem.h"
#include "core/AppContext.h"
#include "core/Clock.h"
#include "core/Messages.h"
#include "core/Profile.h"
#include "core/Settings.h"

namespace dbtest {

inline const std::string kSignature = "Dozoderi Playtally WinAmp Plug-in";
constexpr std::uint32_t kVersionHigh = 0x00010002;
constexpr std::uint32_t kVersionLow = 0x00000000;
// 2026-12-08 00:15:02 UTC; the tests run with TZ=UTC.
constexpr TimeValue kNow = 1796688902;
inline const std::string kNowStamp = "20261208-001502";

inline std::string le16(std::uint16_t v) {
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}
inline std::string le32(std::uint32_t v) {
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                       static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
}

// The archive string: 1-byte length below 255, 0xFF + 16-bit below 65534, else 0xFF 0xFFFF + 32-bit.
inline std::string archiveString(const std::string& s) {
    if (s.size() < 255) return std::string(1, static_cast<char>(s.size())) + s;
    if (s.size() < 65534) return "\xFF" + le16(static_cast<std::uint16_t>(s.size())) + s;
    return "\xFF\xFF\xFF" + le32(static_cast<std::uint32_t>(s.size())) + s;
}

inline std::string header(std::uint32_t high = kVersionHigh, std::uint32_t low = kVersionLow,
                          const std::string& signature = kSignature) {
    return archiveString(signature) + le32(high) + le32(low);
}

inline std::string recordBlock(std::int32_t date, std::int32_t played, std::int32_t length, const std::string& path,
                               const std::string& body) {
    return le32(static_cast<std::uint32_t>(date)) + le32(static_cast<std::uint32_t>(played)) +
           le32(static_cast<std::uint32_t>(length)) + archiveString(path) + body;
}

// A record as a play would have stored it, and the block it is written as.
struct Play {
    TimeValue date;
    std::int32_t played;
    std::int32_t length;
    std::string path;
    std::string title, artist, album, year, comment;
    unsigned char genre;

    std::unique_ptr<CTrackRecord> record() const {
        auto r = std::make_unique<CTrackRecord>(path, length, date, played);
        r->tag = CId3v1Tag(artist, album, title, year, comment, genre);
        return r;
    }
    std::string block() const {
        return recordBlock(date, played, length, path, tagBody(title, artist, album, year, comment, genre));
    }
};

// A play per second starting at `firstDate`, with varied paths and full tags.
inline std::vector<Play> plays(int count, TimeValue firstDate = 1000000000, int pathLength = 0) {
    std::vector<Play> out;
    for (int i = 0; i < count; ++i) {
        std::string path = "C:\\Music\\Artist " + std::to_string(i % 17) + "\\Track " + std::to_string(i) + ".mp3";
        if (pathLength > 0) path.resize(static_cast<std::size_t>(pathLength), 'x');
        out.push_back({firstDate + i, 150 + i % 60, 200 + i % 90, path, "Title " + std::to_string(i),
                       "Artist " + std::to_string(i % 17), "Album " + std::to_string(i % 5), "2004",
                       "Comment " + std::to_string(i), static_cast<unsigned char>(i % 126)});
    }
    return out;
}

inline std::string databaseBytes(const std::vector<Play>& ps) {
    std::string bytes = header();
    for (const Play& p : ps) bytes += p.block();
    return bytes;
}

class RecordingMessages : public IMessages {
public:
    struct Shown {
        std::string text, key;
    };
    void showMessage(const std::string& text, const std::string& key) override { shown.push_back({text, key}); }
    bool askYesNo(const std::string& text, const std::string& key) override {
        shown.push_back({text, key});
        return true;
    }
    std::vector<std::string> keys() const {
        std::vector<std::string> k;
        for (const Shown& s : shown) k.push_back(s.key);
        return k;
    }
    std::vector<Shown> shown;
};

class FixedClock : public IClock {
public:
    TimeValue now() override { return time; }
    TimeValue time = kNow;
};

class CountingViews : public IViewHooks {
public:
    bool playtallyWindowExists() const override { return true; }
    bool playtallyWindowVisible() const override { return true; }
    bool settingsSheetOpen() const override { return false; }
    void destroyPlaytallyWindow() override {}
    bool playtallyWindowInLogMode() const override { return false; }
    void refreshPlaytallyWindow() override { ++refreshes; }
    int refreshes = 0;
};

// A document over `files`, with the database at `dbPath` (and messages of the caller's, when given).
struct DocSetup {
    DocSetup(IFileSystem& files, const std::string& dbPath, IMessages* messagesOf = nullptr)
        : context(profile, messagesOf ? *messagesOf : messages, clock, files), doc(context) {
        context.views = &views;
        context.userName = "guest";
        context.pluginFolder = "C:\\Winamp\\Plugins";
        context.signature = {kSignature, kVersionHigh, kVersionLow};
        setDbPath(dbPath);
    }
    void setDbPath(const std::string& path) { profile.writeString(sectionGeneral(), "DBPath", path); }
    void setSize(bool noLarger, int size) {
        profile.writeInt(sectionGeneral(), "NoLarger", noLarger ? 1 : 0);
        profile.writeInt(sectionGeneral(), "DBSize", size);
    }
    void fill(const std::vector<Play>& ps) {
        doc.store().replaceAll({});
        for (const Play& p : ps) doc.store().append(p.record());
    }

    MemoryProfile profile;
    RecordingMessages messages;
    FixedClock clock;
    CountingViews views;
    AppContext context;
    CDoc doc;
};

// Whether the records hold exactly these plays, in order, every stored field compared.
inline ::testing::AssertionResult holdsPlays(const RecordArray& records, const std::vector<Play>& ps) {
    if (records.size() != ps.size())
        return ::testing::AssertionFailure() << records.size() << " records, expected " << ps.size();
    for (std::size_t i = 0; i < ps.size(); ++i) {
        const CTrackRecord& r = *records[i];
        const Play& p = ps[i];
        std::string body(reinterpret_cast<const char*>(r.tag.body().data()), CId3v1Tag::kBodySize);
        if (r.date != p.date || r.played != p.played || r.length != p.length || r.path != p.path ||
            body != tagBody(p.title, p.artist, p.album, p.year, p.comment, p.genre) || r.tag.genre() != p.genre ||
            r.marked != 0)
            return ::testing::AssertionFailure() << "record " << i << " differs (path " << r.path << ")";
    }
    return ::testing::AssertionSuccess();
}

}  // namespace dbtest
