// The shared open-file dialog of the settings pages and the path dialog.
#pragma once
#include <windows.h>

#include <string>

// Shows the system's open-file dialog. `filter` holds description|pattern pairs separated by '|'
// and ended by "||". On OK the chosen path goes into `path` and the result is true; otherwise
// `path` keeps its value.
bool browseForFile(std::string& path, HWND owner, const std::string& initialFolder, const std::string& filter,
                   const std::string& title);

// The open-file dialog for a name the ANSI code page may not hold: `path` (taken on OK) is UTF-16.
bool browseForFileWide(std::u16string& path, HWND owner, const std::string& filter, const std::string& title);

// Shows the system's save-file dialog, which asks before an existing file is replaced. `path`
// holds the name offered (and takes the chosen one); `filterIndex` the filter shown first, from 1
// (and takes the one chosen). The first pattern of the chosen filter gives a name typed without
// an extension its extension.
bool browseForNewFile(std::string& path, int& filterIndex, HWND owner, const std::string& filter,
                      const std::string& title);
