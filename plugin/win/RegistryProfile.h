// The application profile in the current user's registry:
//   HKEY_CURRENT_USER\software\<registry key>\<application name>\<section>
// The registry key is string 82 ("Dozoderi Playtally v 1.2"); the application name is the plug-in
// file's name without its extension, so a renamed plug-in keeps separate settings. Integers are
// REG_DWORD values, texts REG_SZ values; a value of another type or size reads as the default.
// Writing creates the keys it needs.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "core/Profile.h"

class RegistryProfile : public IProfile {
public:
    explicit RegistryProfile(std::string applicationName);
    RegistryProfile(std::string applicationName, std::string registryKey);

    int getInt(const std::string& section, const std::string& key, int def) override;
    std::string getString(const std::string& section, const std::string& key, const std::string& def) override;
    bool writeInt(const std::string& section, const std::string& key, int value) override;
    bool writeString(const std::string& section, const std::string& key, const std::string& value) override;
    bool deleteValue(const std::string& section, const std::string& key) override;

    // Binary values (REG_BINARY), such as a stored window placement. False when the value is
    // missing or of another type; `data` is then left empty.
    bool getBinary(const std::string& section, const std::string& key, std::vector<unsigned char>& data);
    bool writeBinary(const std::string& section, const std::string& key, const std::vector<unsigned char>& data);

    // The path below HKEY_CURRENT_USER of a section's key (of the application's key for "").
    std::string sectionPath(const std::string& section) const;
    // Removes the application's key with every section below it (the registry key itself stays).
    bool deleteApplicationKey();

    const std::string& applicationName() const { return applicationName_; }

private:
    std::string applicationName_;
    std::string registryKey_;
};

// The plug-in file's name without folder and extension: "gen_ptly" for ...\Plugins\gen_ptly.dll.
std::string applicationNameFromModule(HINSTANCE module);
// The same for a path.
std::string applicationNameFromPath(const std::string& path);
