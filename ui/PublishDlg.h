// The Publish page of the settings sheet: the report file, automatic publishing and its period,
// the programs run before and after publishing, what the report holds, its three templates, and
// "Publish Now".
#pragma once
#include <string>

#include "framework/Controls.h"
#include "framework/PropertySheet.h"
#include "core/Settings.h"

class ISettingsHost;
class CSettingsSheet;

class CPublishDlg : public CPropertyPage {
public:
    CPublishDlg(ISettingsHost& host, CSettingsSheet& sheet);

    // Takes the values from the controls (when `takeValues`), then writes every Publish key.
    void savePublishSettings(bool takeValues = true);

    // The page's values, one per key of the same name; the four bits of "WinStates" apart.
    struct Values {
        bool AutoPublish = false;
        int Every = 0;
        std::string Footer, Header, Item, PublishFile, RunAfter, RunBefore;
        bool IsTop = false;
        int TopCount = 0;
        int PublishLast = 0;
        bool Log = false;
        bool OpenPublishedFile = false;
        bool afterWait = false, beforeHide = false, afterHide = false, beforeWait = false;
    };
    const Values& values() const { return m_values; }

    // "WinStates" from the four check values and back: bit 0 after-hide, 1 after-wait,
    // 2 before-hide, 3 before-wait.
    static int winStates(const Values& values);
    static void splitWinStates(int states, Values& values);

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;
    BOOL OnApply() override;
    void OnReset() override;
    bool PreTranslateMessage(MSG* message) override;

private:
    void load();
    void copyFrom(const PublishSettings& settings);
    void setPickerTime(int hour, int minute);
    void applyEnablingRules();
    void browse(int buttonId);
    void editTemplate(std::string& text);
    void publishNow();

    ISettingsHost& m_host;
    CSettingsSheet& m_sheet;
    CDateTimeCtrl m_timePicker;
    PublishSettings m_snapshot;
    Values m_values;
    CToolTipCtrl m_toolTip;
    // The three templates as their edits hold them after the values were last put there: an edit
    // the user did not touch gives its template back unchanged, byte for byte.
    std::string m_shownFooter, m_shownHeader, m_shownItem;
};
