// Fakes for publishing: messages, programs, shell, windows and progress windows that record what
// the report generator asked of them.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/Progress.h"
#include "core/AppContext.h"
#include "core/Clock.h"
#include "core/Messages.h"
#include "core/ProgramRunner.h"
#include "report/Shell.h"

struct ReportClock : IClock {
    TimeValue t = 1709649000;  // 2024-03-05 14:30:00 UTC
    TimeValue now() override { return t; }
};

struct RecordingMessages : IMessages {
    struct Shown {
        std::string text, key;
    };
    std::vector<Shown> shown;
    void showMessage(const std::string& text, const std::string& key) override { shown.push_back({text, key}); }
    bool askYesNo(const std::string&, const std::string&) override { return true; }
};

struct RecordingRunner : IProgramRunner {
    struct Run {
        std::string commandLine;
        unsigned flags;
    };
    std::vector<Run> runs;
    std::function<void(const std::string&)> onRun;  // looks around at the moment of the run
    void runProgram(const std::string& commandLine, unsigned flags) override {
        runs.push_back({commandLine, flags});
        if (onRun) onRun(commandLine);
    }
};

struct RecordingShell : IShell {
    std::vector<std::string> opened;
    void openDocument(const std::string& path) override { opened.push_back(path); }
};

struct ReportViews : IViewHooks {
    bool windowVisible = false, sheetOpen = false;
    bool playtallyWindowExists() const override { return windowVisible; }
    bool playtallyWindowVisible() const override { return windowVisible; }
    bool settingsSheetOpen() const override { return sheetOpen; }
    void destroyPlaytallyWindow() override {}
    bool playtallyWindowInLogMode() const override { return false; }
    void refreshPlaytallyWindow() override {}
};

// Progress windows that log every call and cancel at a chosen CheckCancel call (counting from 1).
struct ProgressLog {
    std::vector<std::string> calls;
    int cancelAtCheck = 0;
    int checks = 0;
    int created = 0, destroyed = 0;
};

class LoggingProgress : public IProgress {
public:
    explicit LoggingProgress(ProgressLog& log) : log_(log) { ++log_.created; }
    ~LoggingProgress() override { ++log_.destroyed; }
    void Show(const std::string& text, int lower, int upper) override {
        log_.calls.push_back("Show " + text + " " + std::to_string(lower) + ".." + std::to_string(upper));
    }
    void SetRange(int lower, int upper) override {
        log_.calls.push_back("SetRange " + std::to_string(lower) + ".." + std::to_string(upper));
    }
    void SetStep(int step) override { log_.calls.push_back("SetStep " + std::to_string(step)); }
    int SetPos(int position) override {
        log_.calls.push_back("SetPos " + std::to_string(position));
        int previous = position_;
        position_ = position;
        return previous;
    }
    int Advance(int position) override {
        if (CheckCancel()) return 1;
        SetPos(position < 0 ? position_ + 1 : position);
        return 0;
    }
    bool CheckCancel() override {
        ++log_.checks;
        return log_.checks == log_.cancelAtCheck;
    }
    void SetText(const std::string& text) override { log_.calls.push_back("SetText " + text); }

private:
    ProgressLog& log_;
    int position_ = 0;
};

struct LoggingProgressFactory : IProgressFactory {
    ProgressLog log;
    std::unique_ptr<IProgress> create() override { return std::make_unique<LoggingProgress>(log); }
};
