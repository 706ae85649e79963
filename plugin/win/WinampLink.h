// The player as the plug-in sees it: synchronous WM_USER requests to its main window.
#pragma once
#include <windows.h>

#include "core/PlayerMetadata.h"
#include "plugin/WinampHost.h"

class CWinampLink : public IWinampHost, public IPlayerMetadata {
public:
    // How long trackLengthSeconds keeps asking: 50 tries, 100 ms apart.
    static constexpr int kLengthTries = 50;
    static constexpr DWORD kLengthRetryMs = 100;

    explicit CWinampLink(HWND winampWindow) : window_(winampWindow) {}

    HWND window() const { return window_; }

    PlayState playState() override;
    std::string currentFile() override;
    std::u16string currentFileWide() override;
    std::int32_t trackLengthSeconds() override;
    // The wide request first; players older than 5.13 know only the ANSI one.
    bool fileInfo(const std::string& path, const std::u16string& widePath, const char* field,
                  std::string& value) override;

private:
    // A window that is gone answers 0 to everything: stopped, entry 0, no path, length 0.
    LRESULT ask(WPARAM argument, int code) const;

    HWND window_;
};
