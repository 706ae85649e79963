// The General page of the settings sheet: whether the plug-in is active, the tray icon, the
// database file and its limits, the date format, the store delay, auto-save, the two field lists,
// and the merge of another database file into this one.
#pragma once
#include <string>

#include "core/Settings.h"
#include "framework/Controls.h"
#include "ui/SettingsPage.h"
#include "ui/SettingsExchange.h"

class ISettingsHost;
class CSettingsSheet;

class CGeneralDlg : public CSettingsPage {
public:
    CGeneralDlg(ISettingsHost& host, CSettingsSheet& sheet);

    // Writes every General key from the page's values.
    void saveGeneralSettings();
    // Takes "NoLarger" and "DBSize" from the registry after something else changed them (an
    // import that raised the limit), into the values, the snapshot and the two controls.
    void takeSizeLimit();

    bool settingsChanged() const { return m_settingsChanged; }

    // "<caption> <names of the set fields, joined by ", ">" as the two field-list labels show.
    static std::string fieldListText(const std::string& caption, const FieldFlags& flags);

protected:
    void DoDataExchange(CDataExchange& dx) override;
    BOOL OnInitDialog() override;
    bool OnButtonClicked(int id) override;
    void OnControlChange(const SettingsControl& control) override;
    BOOL OnApply() override;
    void OnReset() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void refresh();
    void browseForDatabase();
    void chooseFields(FieldFlags& flags, const FieldFlags& mask);
    void merge();
    // False (after telling the user) when the path cannot hold this plug-in's database.
    bool checkNewDatabasePath();

    GeneralSettings m_snapshot;
    bool m_settingsChanged = false;
    // The values the controls show, one per line of the General settings table.
    GeneralSettings m_values;
    CSettingsExchange m_exchange;
    // The texts of the two field-list labels.
    std::string m_doNotStoreText, m_groupByText;
    bool m_wasDisabled = false;
};
