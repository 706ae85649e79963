// Access to the application profile: named integer and text values grouped in sections.
// On Windows it is the registry (plugin/win/RegistryProfile); tests use MemoryProfile.
#pragma once
#include <map>
#include <optional>
#include <string>
#include <utility>

class IProfile {
public:
    virtual ~IProfile() = default;
    // A value that is absent, or stored with another type or size, reads as `def`.
    virtual int getInt(const std::string& section, const std::string& key, int def) = 0;
    virtual std::string getString(const std::string& section, const std::string& key, const std::string& def) = 0;
    virtual bool writeInt(const std::string& section, const std::string& key, int value) = 0;
    virtual bool writeString(const std::string& section, const std::string& key, const std::string& value) = 0;
    virtual bool deleteValue(const std::string& section, const std::string& key) = 0;
};

// A profile in memory. Section and key names are case-insensitive, as the registry's are.
class MemoryProfile : public IProfile {
public:
    int getInt(const std::string& section, const std::string& key, int def) override;
    std::string getString(const std::string& section, const std::string& key, const std::string& def) override;
    bool writeInt(const std::string& section, const std::string& key, int value) override;
    bool writeString(const std::string& section, const std::string& key, const std::string& value) override;
    bool deleteValue(const std::string& section, const std::string& key) override;

    // For tests: whether a value exists, and the number of writes so far.
    bool has(const std::string& section, const std::string& key) const;
    int writes() const { return writes_; }

private:
    struct Value {
        std::optional<int> number;
        std::optional<std::string> text;
    };
    static std::string normal(const std::string& section, const std::string& key);
    std::map<std::string, Value> values_;
    int writes_ = 0;
};
