#include "plugin/Manifest.h"

#include "core/FileSystem.h"
#include "core/Messages.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {

const char* const kManifestLines[] = {
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>",
    "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">",
    "<assemblyIdentity version=\"2.0.0.0\" processorArchitecture=\"X86\" name=\"Nullsoft.Winamp.Winamp\" "
    "type=\"win32\"/>",
    "<description>Winamp</description>",
    "<dependency>",
    "\t<dependentAssembly>",
    "\t\t<assemblyIdentity type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\" "
    "processorArchitecture=\"X86\" publicKeyToken=\"6595b64144ccf1df\" language=\"*\"/>",
    "\t</dependentAssembly>",
    "</dependency>",
    "</assembly>",
};

}  // namespace

bool isWindowsXP(const SystemVersion& v) { return v.platformId == 2 && v.major > 4 && v.minor == 1; }

std::string manifestPath(const std::string& pluginFolder) {
    if (pluginFolder.size() < 2) return std::string();
    std::size_t cut = pluginFolder.find_last_of('\\', pluginFolder.size() - 2);
    if (cut == std::string::npos) return std::string();
    return pluginFolder.substr(0, cut) + "\\winamp.exe.manifest";
}

std::string manifestText() {
    std::string text;
    for (const char* line : kManifestLines) {
        if (!text.empty()) text += "\r\n";
        text += line;
    }
    return text;
}

void ensureManifest(bool windowsXP, const std::string& pluginFolder, IFileSystem& files, INotices& notices) {
    if (!windowsXP) return;
    const std::string path = manifestPath(pluginFolder);
    if (path.empty()) return;
    if (files.openRead(path)) return;  // an existing manifest, whatever it holds, stays
    std::unique_ptr<IFile> file = files.createWrite(path);
    if (!file) return;  // a folder we may not write to: nothing to tell
    try {
        const std::string text = manifestText();
        file->write(text.data(), text.size());
        file->close();
    } catch (...) {
        // A cut manifest would keep Winamp from starting at all: take it away again.
        file.reset();
        files.removeFile(path);
        return;
    }
    notices.showInformation(loadString(IDS_PT_CAPTION), loadString(IDS_XP_STYLE_NOTICE));
}
