// The Playtally window: the modeless main window of the plug-in (template 1001). It shows the
// list builder's rows in Playtally or Log mode, for a period and a top count, with one switch per
// column, and keeps all of it in its section of the profile (`WindowSettings`, core/Settings.h).
#pragma once
#include <windows.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "core/Clock.h"
#include "core/Settings.h"
#include "database/Doc.h"
#include "ui/HelpText.h"
#include "ui/ResizeDialog.h"
#include "window/PlaytallyWindowHost.h"
#include "window/TrackListCtrl.h"

class IProfile;
class CMyStatic;

class CPlaytallyDlg : public CResizeDialog, public IHelpTextSink, private CTrackListCtrl::Owner {
public:
    // The document rows come from, the profile of the window's state, and the application that
    // runs the links' commands (none: they do nothing).
    CPlaytallyDlg(CDoc* doc, IProfile& profile, IPlaytallyWindowHost* host);
    ~CPlaytallyDlg() override;

    // Record index of the first selected row, -1 when none is selected.
    int SelectedRecordIndex() const;
    bool IsLogMode() const;
    CTrackListCtrl& List() { return m_list; }
    // Reads the controls and rebuilds the list (the "Refresh" button and Enter).
    void Refresh();
    // Stores everything the user set, then hides the window. A top count the user left invalid
    // is shown the message again, unless the window goes with the player (`quiet`): a box then
    // would hold up the player's quit. Either way the last valid count is stored.
    void SaveState(bool quiet = false);
    void ShowHelpText(HelpValue value) override;
    void UpdateRecordLinks() override;
    void SaveColumnWidths() override;
    // since/till of the list: the picker dates, or the "Last:" span ending now.
    void GetPeriod(TimeValue& since, TimeValue& till) const;
    // What the list's rows are built for now: the period, the mode and the top count.
    BuildListParams ListBuildParams(bool showProgress) const;

    // The record commands (the links, the list's Delete key, double click and context menu).
    void RemoveCommand() override;
    void EditCommand();
    void PlayCommand() override;
    void PathCommand();

protected:
    BOOL OnInitDialog() override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    bool OnButtonClicked(int id) override;
    void OnTimer(UINT_PTR id) override;
    bool PreTranslateMessage(MSG* message) override;
    void OnOK() override { Refresh(); }
    void OnCancel() override { SaveState(); }
    void OnSizeChanged(UINT type, int cx, int cy) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    const std::array<bool, kColumnCount>& ShownColumns() const override { return m_shown; }
    void LoadColumnWidths(std::array<int, kColumnCount>& widths) override;
    RowArray BuildRows(bool showProgress) override;
    CDoc* Document() override { return m_doc; }

    // Wraps the dialog's control `id` in a help-aware Wrapper that reports help value `help`.
    template <class Wrapper>
    Wrapper& AttachHelp(int id, int help);
    // Runs `command` (document, record index) on the selected row's record; true from it refills.
    template <class Command>
    void RunRecordCommand(const char* name, Command command);
    bool ValidateTopCount(bool quiet = false);
    void ReadControls();
    void WriteControls();
    void UpdateControlStates();
    void RestoreWindowRect();
    void RestoreDates();
    void Layout(int w, int h);
    // What the controls do (OnButtonClicked's and OnCommand's).
    void OnColumnSwitch(int field);
    void OnPeriodKind();
    void OnModeOrSpan();
    void OnShowTop();
    void OnTopCountChange();
    void OnSettings();
    void OnPublish();
    void OnWebsite();
    void OnAbout();
    // The window's own corner drag; true when the message was its.
    bool CornerDrag(UINT message, LPARAM lParam);

    CDoc* m_doc;
    IProfile& m_profile;
    IPlaytallyWindowHost* m_host;
    // The state as it was read when the window was made, which the controls start from.
    WindowSettings m_stored;
    CTrackListCtrl m_list{*this};
    std::array<bool, kColumnCount> m_checks{};
    std::array<bool, kColumnCount> m_shown{};
    int m_periodKind = 1;
    int m_lastCombo = 3;
    bool m_showTop = true;
    int m_rankBy = 0;  // 0 hits, 1 time heard
    int m_topCount = 100;
    std::string m_helpText;
    std::vector<std::unique_ptr<CWnd>> m_wrappers;
    // Cleared when the object goes: a command that outlives it (inside a question) can tell.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    HWND m_since = nullptr;
    HWND m_till = nullptr;
    // The corner drag: under way, the last mouse position (screen), the cursor over the surface.
    bool m_dragging = false;
    POINT m_dragFrom = {};
    bool m_sizeCursor = false;
};
