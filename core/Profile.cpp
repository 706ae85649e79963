#include "core/Profile.h"

#include <cctype>

std::string MemoryProfile::normal(const std::string& section, const std::string& key) {
    std::string n = section + '\n' + key;
    for (char& c : n) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return n;
}

int MemoryProfile::getInt(const std::string& section, const std::string& key, int def) {
    auto it = values_.find(normal(section, key));
    return it != values_.end() && it->second.number ? *it->second.number : def;
}

std::string MemoryProfile::getString(const std::string& section, const std::string& key, const std::string& def) {
    auto it = values_.find(normal(section, key));
    return it != values_.end() && it->second.text ? *it->second.text : def;
}

bool MemoryProfile::writeInt(const std::string& section, const std::string& key, int value) {
    values_[normal(section, key)] = Value{value, std::nullopt};
    ++writes_;
    return true;
}

bool MemoryProfile::writeString(const std::string& section, const std::string& key, const std::string& value) {
    values_[normal(section, key)] = Value{std::nullopt, value};
    ++writes_;
    return true;
}

bool MemoryProfile::deleteValue(const std::string& section, const std::string& key) {
    return values_.erase(normal(section, key)) > 0;
}

bool MemoryProfile::has(const std::string& section, const std::string& key) const {
    return values_.count(normal(section, key)) > 0;
}
