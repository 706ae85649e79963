#include "plugin/win/BrowseForFile.h"

#include <commdlg.h>

#include <vector>

bool browseForFile(std::string& path, HWND owner, const std::string& initialFolder, const std::string& filter,
                   const std::string& title) {
    // The dialog wants NUL-separated pairs ending in two NULs.
    std::vector<char> filterBytes(filter.begin(), filter.end());
    for (char& c : filterBytes) {
        if (c == '|') c = '\0';
    }
    filterBytes.push_back('\0');
    filterBytes.push_back('\0');

    char file[1024] = {};
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filterBytes.data();
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    if (!GetOpenFileNameA(&ofn)) return false;
    path = file;
    return true;
}
