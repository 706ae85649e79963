// CMyStatic: a static text label that reports its help text and can act as a link.
//
// While the pointer is over it (with the hover effect on) the label holds the mouse capture, shows
// the hand cursor and runs a "wave": every 50 ms the next character of its caption is shown with
// its case flipped, from the first to the last, and on the tick after the last the caption comes
// back. A click stops the wave at once; with m_webLink set it also asks the shell to open the link
// target (the caption when no target was set). The label draws like any static control.
//
// Help texts go to the sink the label is given (m_helpSink: the Playtally window, or whatever
// forwards to it), wherever the label sits. A label
// without SS_NOTIFY gets no mouse messages of its own until it holds the capture: the dialog that
// holds it forwards them (ForwardMouseMoveToLabel).
#pragma once
#include <windows.h>

#include <string>

#include "framework/Controls.h"
#include "ui/HelpText.h"

class CMyStatic : public CStatic {
public:
    CMyStatic() = default;
    CMyStatic(const CMyStatic&) = delete;
    CMyStatic& operator=(const CMyStatic&) = delete;

    HelpValue m_helpValue = 0;
    IHelpTextSink* m_helpSink = nullptr;  // where the help text goes; none: nowhere
    BOOL m_hoverOff = FALSE;  // no capture, cursor or wave: only the help text
    BOOL m_webLink = FALSE;   // a click opens the link target

    virtual void SetLink(const std::string& target) { m_linkTarget = target; }
    virtual int OnMouseEnter();
    virtual int OnMouseLeave();

    // The wave's state, for whoever needs to know whether it runs.
    bool WaveRunning() const { return m_timerId != kNoTimer; }
    int WavePosition() const { return m_wavePosition; }
    UINT_PTR TimerId() const { return m_timerId; }
    const std::string& LinkTarget() const { return m_linkTarget; }

    // How this label opens its link: the shell's "open" by default. Tests put their own in place
    // (null restores the shell).
    using LinkOpener = void (*)(const std::string& target, const std::string& parameters);
    void SetLinkOpener(LinkOpener opener);

    // For a dialog's WM_MOUSEMOVE: when the visible child under `point` (the dialog's client
    // coordinates) is a CMyStatic, sends it the move in its own coordinates. True when it did.
    static bool ForwardMouseMoveToLabel(HWND dialog, WPARAM keys, POINT point);

    static constexpr UINT_PTR kWaveTimerId = 1;
    static constexpr UINT kWavePeriodMs = 50;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    static constexpr UINT_PTR kNoTimer = static_cast<UINT_PTR>(-1);
    void OnMouseMove(POINT point);
    void OnWaveTick();
    void OnClick();
    void SaveCaption();
    void StopWave();
    void Repaint();

    UINT_PTR m_timerId = kNoTimer;
    int m_wavePosition = -1;
    std::string m_savedCaption;
    std::string m_linkTarget;
    LinkOpener m_linkOpener = nullptr;  // none: the shell's "open"
    BOOL m_captionSaved = FALSE;
};
