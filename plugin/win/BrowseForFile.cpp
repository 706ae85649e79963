#include "plugin/win/BrowseForFile.h"

#include <commdlg.h>

#include <vector>

namespace {

// The dialog wants NUL-separated pairs ending in two NULs.
std::vector<char> filterBytesOf(const std::string& filter) {
    std::vector<char> filterBytes(filter.begin(), filter.end());
    for (char& c : filterBytes) {
        if (c == '|') c = '\0';
    }
    filterBytes.push_back('\0');
    filterBytes.push_back('\0');
    return filterBytes;
}

// "json" of the pattern "*.json;*.jsonl" of filter number `index` (from 1).
std::string firstExtension(const std::string& filter, int index) {
    std::size_t at = 0;
    for (int field = 0; field < 2 * index - 1 && at != std::string::npos; ++field) {
        at = filter.find('|', at);
        if (at != std::string::npos) ++at;
    }
    if (at == std::string::npos) return "";
    std::string pattern = filter.substr(at, filter.find_first_of("|;", at) - at);
    const std::size_t dot = pattern.rfind('.');
    return dot == std::string::npos || pattern.find('*', dot) != std::string::npos ? "" : pattern.substr(dot + 1);
}

}  // namespace

bool browseForFile(std::string& path, HWND owner, const std::string& initialFolder, const std::string& filter,
                   const std::string& title) {
    std::vector<char> filterBytes = filterBytesOf(filter);

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

bool browseForFileWide(std::u16string& path, HWND owner, const std::string& filter, const std::string& title) {
    // The filter and caption are the plug-in's own ASCII texts: widened unit by unit.
    std::vector<char> filterBytes = filterBytesOf(filter);
    std::vector<wchar_t> wideFilter(filterBytes.begin(), filterBytes.end());
    std::vector<wchar_t> wideTitle(title.begin(), title.end());
    wideTitle.push_back(L'\0');

    wchar_t file[1024] = {};
    OPENFILENAMEW ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = wideFilter.data();
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file / sizeof file[0];
    ofn.lpstrTitle = title.empty() ? nullptr : wideTitle.data();
    if (!GetOpenFileNameW(&ofn)) return false;
    path.assign(reinterpret_cast<const char16_t*>(file));
    return true;
}

bool browseForNewFile(std::string& path, int& filterIndex, HWND owner, const std::string& filter,
                      const std::string& title) {
    std::vector<char> filterBytes = filterBytesOf(filter);
    char file[1024] = {};
    lstrcpynA(file, path.c_str(), sizeof file);
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = filterBytes.data();
    ofn.nFilterIndex = static_cast<DWORD>(filterIndex);
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
    // The shown filter's extension; the dialog takes another filter's when the user picks it.
    const std::string extension = firstExtension(filter, filterIndex);
    ofn.lpstrDefExt = extension.c_str();
    ofn.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER;
    if (!GetSaveFileNameA(&ofn)) return false;
    path = file;
    filterIndex = static_cast<int>(ofn.nFilterIndex);
    return true;
}
