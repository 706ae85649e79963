// The visual-style manifest beside Winamp's executable, written once on Windows XP so that the
// plug-in's windows use the XP common controls from Winamp's next start.
#pragma once
#include <string>

class IFileSystem;
class INotices;

struct SystemVersion {
    unsigned platformId = 0;  // 2: the NT platform
    unsigned major = 0;
    unsigned minor = 0;
};

// Windows XP as the plug-in tells it: the NT platform, major version above 4, minor version 1.
bool isWindowsXP(const SystemVersion& version);

// "<Winamp folder>\winamp.exe.manifest", where Winamp's folder is the plug-in folder cut at its
// last backslash (searching from the second-to-last character); "" when there is none.
std::string manifestPath(const std::string& pluginFolder);

// The manifest's text with CR LF line breaks, as it is written.
std::string manifestText();

// Writes the manifest unless the system is not XP or a manifest exists already; tells the user
// once it was written. Every failure is silent.
void ensureManifest(bool windowsXP, const std::string& pluginFolder, IFileSystem& files, INotices& notices);
