// Resizable dialogs: chosen child controls move and stretch with the window's edges, the window
// cannot be made smaller than it was created (or than a minimum of its own), a size grip sits in
// the bottom-right corner, and the window's placement can be stored in the application profile
// and restored.
//
// CResizer does the work for one window, which holds it by value; CResizeDialog and
// CResizePropertyPage wire it to their messages. A window derived from a host registers its
// controls in OnInitDialog after the host's OnInitDialog (AddControl), and restores its placement
// after the last registration (LoadPlacement), so that a restored size moves the registered
// controls through the normal WM_SIZE path.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "framework/Handles.h"
#include "framework/PropertySheet.h"

class RegistryProfile;

enum ResizeFlags : DWORD {
    ResizeNoGrip = 0x01,                // no size grip
    ResizeFixedWidth = 0x02,            // the window's width stays what it is (maximized and tracking)
    ResizeFixedHeight = 0x04,           // the same for the height
    ResizeNoMinSize = 0x08,             // the window may be made smaller than its initial size
    ResizeNoClipChildren = 0x10,        // the owner does not get WS_CLIPCHILDREN
    ResizeNoTransparentButtons = 0x20,  // group boxes, check and radio buttons keep their extended style
};

// How a control follows the owner's size: each edge moves by the owner's change of width (left,
// right) or height (top, bottom) times its factor. (0,0,0,0) stays, (0,0,1,1) stretches,
// (1,1,1,1) follows the bottom-right corner, (0.5,1,0.5,1) stays centred above the bottom edge.
struct ResizeRule {
    float left = 0;
    float top = 0;
    float right = 0;
    float bottom = 0;
};

struct ResizeEntry {
    CWnd* control = nullptr;  // the control's window object (its permanent one, or `owned`)
    HWND window = nullptr;    // the control's handle, which moves are made on
    ResizeRule rule;
    // The control's rectangle in the owner's client coordinates. Fractions accumulate, so a
    // control with factor 0.5 does not drift over many small steps.
    float left = 0, top = 0, right = 0, bottom = 0;
    std::unique_ptr<CWnd> owned;  // the wrapper this entry made for a control that had none
};

class CResizer {
public:
    static constexpr int kGripId = 0x7FFF;
    static constexpr size_t kPlacementSize = 44;  // WINDOWPLACEMENT on every Windows version

    CResizer(CWnd& owner, DWORD flags);
    virtual ~CResizer();
    CResizer(const CResizer&) = delete;
    CResizer& operator=(const CResizer&) = delete;

    // Once, when the owner's controls exist: takes the window's size as the minimum tracking size,
    // sets WS_CLIPCHILDREN and creates the grip (each unless a flag says otherwise).
    void Init();
    // Registers a child control. The same id registered again adds the rule's factors to the first
    // registration's.
    void AddControl(int id, const ResizeRule& rule);
    // After the owner's WM_SIZE: moves the registered controls by the change since the last call,
    // all in one deferred batch.
    void OnSize();
    // The owner's WM_GETMINMAXINFO.
    void OnGetMinMaxInfo(MINMAXINFO* info);

    // The placement stored as the binary value "WindowPlacement" of `section` in `profile` (none:
    // nothing is loaded or stored). Loading applies only a value of exactly 44 bytes, and keeps a
    // restored window on a screen at a size the user can handle; true when it applied one.
    // A maximized placement loaded into a hidden window takes effect when the window is shown.
    bool LoadPlacement(RegistryProfile* profile, const std::string& section);
    bool SavePlacement(RegistryProfile* profile, const std::string& section);
    // The owner's WM_SHOWWINDOW.
    void OnShowWindow(bool shown);

    DWORD Flags() const { return m_flags; }
    const std::vector<std::unique_ptr<ResizeEntry>>& Entries() const { return m_entries; }
    const ResizeEntry* Entry(int id) const;
    SIZE MinTrackSize() const { return m_minTrack; }
    // A minimum of the window's own, in place of the size it was created with.
    void SetMinTrackSize(SIZE size) { m_minTrack = size; }
    SIZE MaxTrackSize() const { return m_maxTrack; }
    void SetMaxTrackSize(SIZE size) { m_maxTrack = size; }
    HWND Grip() const { return m_grip; }

    // The rectangle a stored placement's normal position is changed to so that the window can be
    // seen and reached: a width or height below `minimum` or beyond `workArea` is put within
    // them, and a rectangle not wholly inside `workArea` is moved inside it.
    static RECT ReachableRect(RECT stored, const RECT& workArea, SIZE minimum);

protected:
    // One move of the batch; the system's DeferWindowPos. Null abandons the batch.
    virtual HDWP DeferMove(HDWP batch, HWND window, int x, int y, int width, int height);

private:
    CWnd& m_owner;
    const DWORD m_flags;
    std::vector<std::unique_ptr<ResizeEntry>> m_entries;
    RECT m_lastRect{};
    SIZE m_minTrack{};
    SIZE m_maxTrack{};
    HWND m_grip = nullptr;
    UniqueBitmap m_gripBitmap;
    bool m_maximizeWhenShown = false;
};

// The wiring of a resizer to a dialog-based window: WM_SIZE, WM_GETMINMAXINFO and the grip's
// hit test. Base is CDialog or CPropertyPage.
template <class Base>
class CResizeHost : public Base {
public:
    template <class... BaseArguments>
    explicit CResizeHost(DWORD flags, BaseArguments... arguments) : Base(arguments...), m_resizer(*this, flags) {}

    CResizer& Resizer() { return m_resizer; }

protected:
    // The base initialisation (the exchange), then the resizer's; returns TRUE.
    BOOL OnInitDialog() override;
    // A derived window that overrides this calls the base for every message it does not handle.
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // After the resizer's own handling of every WM_SIZE.
    virtual void OnSizeChanged(UINT type, int cx, int cy);

    CResizer m_resizer;
};

class CResizeDialog : public CResizeHost<CDialog> {
public:
    CResizeDialog(UINT templateId, HWND parent, DWORD flags) : CResizeHost(flags, templateId, parent) {}
};

// A property page whose controls follow the sheet's size; it never has a grip.
class CResizePropertyPage : public CResizeHost<CPropertyPage> {
public:
    CResizePropertyPage(UINT templateId, UINT captionId, DWORD flags)
        : CResizeHost(flags | ResizeNoGrip, templateId, captionId) {}
};

extern template class CResizeHost<CDialog>;
extern template class CResizeHost<CPropertyPage>;
