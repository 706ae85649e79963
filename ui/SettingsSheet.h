// The settings sheet: the General page and, while the plug-in is enabled, the Publish, Extras
// and ListenBrainz pages.
//
// The sheet is modal and lives only while it is shown. The General page is always page 0; the
// Publish and Extras pages are added and removed by the General page as "Disable" is cleared and
// set, so they are always pages 1 and 2. When the sheet window goes, the host applies the settings (the pages that were
// not cancelled save their keys first).
#pragma once
#include <string>

#include "framework/PropertySheet.h"
#include "ui/ExtrasDlg.h"
#include "ui/GeneralDlg.h"
#include "ui/ListenBrainzDlg.h"
#include "ui/PublishDlg.h"

class CDoc;
class CListenSender;
class RegistryProfile;
struct AppContext;

// What the settings pages ask of the application.
class ISettingsHost {
public:
    virtual ~ISettingsHost() = default;
    virtual AppContext& context() = 0;
    virtual CDoc& doc() = 0;
    // Re-reads the General settings and starts or stops what depends on them: the tray icon, the
    // playback poll, the auto-publish check, the auto-save timer and the suspend flag.
    virtual void applyGeneralSettings() = 0;
    // Publishes the report now.
    virtual void publishReport() = 0;
    // Run when the sheet window is destroyed: the pages save, then the settings are applied.
    virtual void applySettings() = 0;
    // Sending plays to a listen server (none: the plug-in does not send).
    virtual CListenSender* listenSender() { return nullptr; }
    // Where the pages' dialogs keep their window placements (none: they keep none).
    virtual RegistryProfile* placements() { return nullptr; }
};

class CSettingsSheet : public CPropertySheet {
public:
    CSettingsSheet(ISettingsHost& host, const std::string& caption, HWND parent = nullptr, UINT selectPage = 0);
    ~CSettingsSheet() override;

    CGeneralDlg& GeneralPage() { return m_general; }
    CPublishDlg& PublishPage() { return m_publish; }
    CExtrasDlg& ExtrasPage() { return m_extras; }
    CListenBrainzDlg& ListenBrainzPage() { return m_listen; }

    // Adds (true) or removes (false) the Publish, Extras and ListenBrainz pages as pages 1 to 3,
    // while the sheet is shown.
    void ShowPublishPage(bool show);
    // The pages that have windows save their keys, unless the sheet was cancelled: a cancelled
    // sheet leaves every key as the last Apply (or the opening) left it.
    void SavePages();
    bool Cancelled() const { return m_cancelled; }
    void MarkCancelled() { m_cancelled = true; }

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    ISettingsHost& m_host;
    CPublishDlg m_publish;
    CGeneralDlg m_general;
    CExtrasDlg m_extras;
    CListenBrainzDlg m_listen;
    bool m_cancelled = false;
};
