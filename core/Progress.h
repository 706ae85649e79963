// The progress window as long work on the user-interface thread sees it. On Windows it is
// CProgressDlg (ui/); tests use fakes that cancel at a chosen step.
#pragma once
#include <memory>
#include <string>

class IProgress {
public:
    virtual ~IProgress() = default;
    // Creates and shows the window with `text` and the range lower..upper, step 1, position 0.
    virtual void Show(const std::string& text, int lower, int upper) = 0;
    virtual void SetRange(int lower, int upper) = 0;
    virtual void SetStep(int step) = 0;
    // Pumps messages, moves the bar; returns the previous position.
    virtual int SetPos(int position) = 0;
    // Returns 1 when the user cancelled (without moving), else moves to `position`
    // (-1: one step on, never past the upper bound) and returns 0.
    virtual int Advance(int position = -1) = 0;
    // Pumps messages; returns whether the user cancelled since the last check, and clears it.
    virtual bool CheckCancel() = 0;
    virtual void SetText(const std::string& text) = 0;
};

class IProgressFactory {
public:
    virtual ~IProgressFactory() = default;
    // A new, not yet shown progress window; destroying it closes the window.
    virtual std::unique_ptr<IProgress> create() = 0;
};
