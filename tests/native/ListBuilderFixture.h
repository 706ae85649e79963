// Fakes and helpers shared by the list builder tests: a document over a memory profile, a progress
// window that records what it is asked and cancels (or fails) at a chosen step, and plays.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "database/Doc.h"
#include "core/Progress.h"
#include "core/AppContext.h"
#include "core/Messages.h"
#include "core/Profile.h"

namespace listtest {

// What one build asked of its progress windows.
struct ProgressLog {
    int created = 0;
    int shown = 0;
    int destroyed = 0;
    std::string text;
    int lower = 0, upper = 0;
    int steps = 0;                 // Advance and CheckCancel calls: the points where a cancel is seen
    std::vector<int> positions;    // Advance arguments
    int cancelAtStep = 0;          // 1-based; 0: never
    int throwAtStep = 0;           // 1-based; 0: never
    std::function<void(int)> onStep;  // run at every step: what the message pump might run

    bool operator==(const ProgressLog& o) const {
        return created == o.created && shown == o.shown && destroyed == o.destroyed && text == o.text &&
               lower == o.lower && upper == o.upper && steps == o.steps && positions == o.positions;
    }
};

class FakeProgress : public IProgress {
public:
    explicit FakeProgress(ProgressLog& log) : log_(log) {}
    ~FakeProgress() override { ++log_.destroyed; }
    void Show(const std::string& text, int lower, int upper) override {
        ++log_.shown;
        log_.text = text;
        log_.lower = lower;
        log_.upper = upper;
    }
    void SetRange(int lower, int upper) override { log_.lower = lower, log_.upper = upper; }
    void SetStep(int) override {}
    int SetPos(int position) override {
        int previous = position_;
        position_ = position;
        return previous;
    }
    int Advance(int position) override {
        log_.positions.push_back(position);
        return step() ? 1 : 0;
    }
    bool CheckCancel() override { return step(); }
    void SetText(const std::string& text) override { log_.text = text; }

private:
    bool step() {
        ++log_.steps;
        if (log_.onStep) log_.onStep(log_.steps);
        if (log_.steps == log_.throwAtStep) throw std::runtime_error("failure inside the build");
        return log_.steps == log_.cancelAtStep;
    }
    ProgressLog& log_;
    int position_ = 0;
};

class FakeProgressFactory : public IProgressFactory {
public:
    std::unique_ptr<IProgress> create() override {
        ++log.created;
        return std::make_unique<FakeProgress>(log);
    }
    ProgressLog log;
};

class FakeViews : public IViewHooks {
public:
    bool playtallyWindowExists() const override { return windowVisible; }
    bool playtallyWindowVisible() const override { return windowVisible; }
    bool settingsSheetOpen() const override { return sheetOpen; }
    void destroyPlaytallyWindow() override {}
    bool playtallyWindowInLogMode() const override { return false; }
    void refreshPlaytallyWindow() override {}
    bool windowVisible = false;
    bool sheetOpen = false;
};

class RecordingMessages : public IMessages {
public:
    void showMessage(const std::string& text, const std::string& key) override { shown.push_back({text, key}); }
    bool askYesNo(const std::string&, const std::string&) override { return true; }
    std::vector<std::pair<std::string, std::string>> shown;
};

// One play with its tag.
struct Play {
    std::string artist, title, album, year, comment;
    std::uint8_t genre = 255;
    TimeValue date = 0;
    std::int32_t length = 0, played = 0;
};

inline std::unique_ptr<CTrackRecord> makeRecord(const Play& p, const std::string& path = "C:\\music\\song.mp3") {
    auto record = std::make_unique<CTrackRecord>(path, p.length, p.date, p.played);
    record->tag = CId3v1Tag(p.artist, p.album, p.title, p.year, p.comment, p.genre);
    record->tag.setGenre(p.genre);
    return record;
}

// A document with a memory profile, recording messages, views and progress.
struct ListFixture {
    ListFixture() : doc(context) {
        context.progress = &progress;
        context.views = &views;
        context.userName = "guest";
    }
    void groupBy(std::initializer_list<int> ids) {
        FieldFlags flags{};
        for (int id : ids) flags[id] = true;
        profile.writeString(sectionGeneral(), "GroupPlaytallyBy", writeFlagList(flags));
    }
    void dateFormat(const std::string& format) { profile.writeString(sectionGeneral(), "DateFormat", format); }
    void add(const Play& p) { doc.store().append(makeRecord(p)); }

    MemoryProfile profile;
    RecordingMessages messages;
    FakeProgressFactory progress;
    FakeViews views;
    SystemClock systemClock;
    AppContext context{profile, messages, systemClock, systemFileSystem()};
    CDoc doc;
};

inline std::string describe(const RowArray& rows) {
    std::string out;
    for (const auto& row : rows) {
        out += "[" + std::to_string(row->recordIndex) + "]";
        for (const auto& cell : row->cells) out += " |" + cell;
        out += "\n";
    }
    return out;
}

}  // namespace listtest
