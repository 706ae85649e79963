#include "plugin/win/RegistryProfile.h"

#include <cstring>
#include <utility>

#include "framework/Handles.h"
#include "resources/StringTable.h"
#include "resources/resource.h"

namespace {
UniqueKey openKey(const std::string& path, REGSAM access) {
    UniqueKey key;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, access, key.put()) != ERROR_SUCCESS) key.reset();
    return key;
}

UniqueKey createKey(const std::string& path) {
    UniqueKey key;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                          key.put(), nullptr) != ERROR_SUCCESS)
        key.reset();
    return key;
}

// Reads a value whole: its type and bytes. False when it is missing or cannot be read.
bool readValue(const std::string& path, const std::string& name, DWORD& type, std::vector<unsigned char>& data) {
    UniqueKey key = openKey(path, KEY_QUERY_VALUE);
    if (!key) return false;
    for (int attempt = 0; attempt < 4; ++attempt) {  // the value may grow between the two calls
        DWORD size = 0;
        if (::RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
        data.assign(size, 0);
        DWORD got = size;
        LONG status = ::RegQueryValueExA(key.get(), name.c_str(), nullptr, &type, data.empty() ? nullptr : data.data(), &got);
        if (status == ERROR_SUCCESS) {
            data.resize(got);
            return true;
        }
        if (status != ERROR_MORE_DATA) return false;
    }
    return false;
}

// Deletes a key with all its subkeys (RegDeleteTree is not there before Vista).
bool deleteTree(HKEY parent, const std::string& name) {
    {
        UniqueKey key;
        if (::RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ | KEY_WRITE, key.put()) != ERROR_SUCCESS) {
            key.reset();
            return false;
        }
        for (;;) {
            char child[256];
            DWORD length = sizeof child;
            if (::RegEnumKeyExA(key.get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            if (!deleteTree(key.get(), std::string(child, length))) return false;
        }
    }
    return ::RegDeleteKeyA(parent, name.c_str()) == ERROR_SUCCESS;
}
}  // namespace

RegistryProfile::RegistryProfile(std::string applicationName)
    : RegistryProfile(std::move(applicationName), loadString(IDS_REGISTRY_PRODUCT)) {}

RegistryProfile::RegistryProfile(std::string applicationName, std::string registryKey)
    : applicationName_(std::move(applicationName)), registryKey_(std::move(registryKey)) {}

std::string RegistryProfile::sectionPath(const std::string& section) const {
    std::string path = "software\\" + registryKey_ + "\\" + applicationName_;
    if (!section.empty()) path += "\\" + section;
    return path;
}

int RegistryProfile::getInt(const std::string& section, const std::string& key, int def) {
    DWORD type = 0;
    std::vector<unsigned char> data;
    if (!readValue(sectionPath(section), key, type, data) || type != REG_DWORD || data.size() != sizeof(DWORD))
        return def;
    DWORD value = 0;
    memcpy(&value, data.data(), sizeof value);
    return static_cast<int>(value);
}

std::string RegistryProfile::getString(const std::string& section, const std::string& key, const std::string& def) {
    DWORD type = 0;
    std::vector<unsigned char> data;
    if (!readValue(sectionPath(section), key, type, data) || type != REG_SZ) return def;
    // A stored text may lack its terminator, or hold bytes after one: the text ends at the first NUL.
    size_t length = 0;
    while (length < data.size() && data[length] != 0) ++length;
    return std::string(reinterpret_cast<const char*>(data.data()), length);
}

bool RegistryProfile::writeInt(const std::string& section, const std::string& key, int value) {
    UniqueKey handle = createKey(sectionPath(section));
    if (!handle) return false;
    DWORD number = static_cast<DWORD>(value);
    return ::RegSetValueExA(handle.get(), key.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                            sizeof number) == ERROR_SUCCESS;
}

bool RegistryProfile::writeString(const std::string& section, const std::string& key, const std::string& value) {
    UniqueKey handle = createKey(sectionPath(section));
    if (!handle) return false;
    // Stored up to its first NUL, with the terminator, as registry texts are.
    std::string text(value.c_str());
    return ::RegSetValueExA(handle.get(), key.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                            static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool RegistryProfile::deleteValue(const std::string& section, const std::string& key) {
    UniqueKey handle = openKey(sectionPath(section), KEY_SET_VALUE);
    return handle && ::RegDeleteValueA(handle.get(), key.c_str()) == ERROR_SUCCESS;
}

bool RegistryProfile::getBinary(const std::string& section, const std::string& key, std::vector<unsigned char>& data) {
    DWORD type = 0;
    if (!readValue(sectionPath(section), key, type, data) || type != REG_BINARY) {
        data.clear();
        return false;
    }
    return true;
}

bool RegistryProfile::writeBinary(const std::string& section, const std::string& key,
                                  const std::vector<unsigned char>& data) {
    UniqueKey handle = createKey(sectionPath(section));
    if (!handle) return false;
    return ::RegSetValueExA(handle.get(), key.c_str(), 0, REG_BINARY, data.empty() ? nullptr : data.data(),
                            static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

bool RegistryProfile::deleteApplicationKey() {
    UniqueKey parent = openKey("software\\" + registryKey_, KEY_READ | KEY_WRITE);
    return parent && !applicationName_.empty() && deleteTree(parent.get(), applicationName_);
}

std::string applicationNameFromPath(const std::string& path) {
    size_t slash = path.find_last_of("\\/:");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

std::string applicationNameFromModule(HINSTANCE module) {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        DWORD length = ::GetModuleFileNameA(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::string();
        if (length < buffer.size()) return applicationNameFromPath(std::string(buffer.data(), length));
        if (buffer.size() >= 32768) return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

