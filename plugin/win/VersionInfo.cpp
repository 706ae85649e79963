#include "plugin/win/VersionInfo.h"

#include <windows.h>

#include <vector>

ModuleVersion readModuleVersion(const std::string& modulePath) {
    ModuleVersion result;
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeA(modulePath.c_str(), &handle);
    if (size == 0) return result;
    std::vector<char> data(size);
    if (!GetFileVersionInfoA(modulePath.c_str(), 0, size, data.data())) return result;

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &fixedSize) && fixed &&
        fixedSize >= sizeof(VS_FIXEDFILEINFO)) {
        result.fileHigh = fixed->dwFileVersionMS;
        result.fileLow = fixed->dwFileVersionLS;
        result.productHigh = fixed->dwProductVersionMS;
        result.productLow = fixed->dwProductVersionLS;
        result.found = true;
    }

    struct Translation {
        WORD language;
        WORD codePage;
    };
    Translation* translations = nullptr;
    UINT bytes = 0;
    if (!VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations),
                        &bytes) ||
        !translations)
        return result;
    for (UINT i = 0; i < bytes / sizeof(Translation); ++i) {
        if (translations[i].language != 1033 || translations[i].codePage != 1200) continue;
        // Only US English in Unicode is asked for above: its block is named 040904b0.
        const char* query = "\\StringFileInfo\\040904b0\\FileDescription";
        char* text = nullptr;
        UINT length = 0;
        if (VerQueryValueA(data.data(), query, reinterpret_cast<void**>(&text), &length) && text && length > 0)
            result.fileDescription.assign(text, strnlen(text, length));
        break;
    }
    return result;
}

DatabaseSignature signatureOf(const ModuleVersion& version) {
    DatabaseSignature s;
    s.description = version.fileDescription;
    s.versionHigh = version.fileHigh;
    s.versionLow = version.fileLow;
    return s;
}
