#include "plugin/JsonItems.h"

#include <rapidjson/memorystream.h>
#include <rapidjson/reader.h>

namespace {

constexpr int kMaxDepth = 32;

class Collector : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, Collector> {
public:
    explicit Collector(std::vector<JsonItem>& items) : items_(items) {}

    bool Null() { return add(JsonItem::Kind::null); }
    bool Bool(bool b) { return add(JsonItem::Kind::boolean, 0, b); }
    bool Int(int i) { return add(JsonItem::Kind::integer, i); }
    bool Uint(unsigned u) { return add(JsonItem::Kind::integer, u); }
    bool Int64(std::int64_t i) { return add(JsonItem::Kind::integer, i); }
    bool Uint64(std::uint64_t) { return add(JsonItem::Kind::number); }  // beyond a signed 64-bit integer
    bool Double(double) { return add(JsonItem::Kind::number); }
    bool String(const char* text, rapidjson::SizeType length, bool) {
        if (!add(JsonItem::Kind::text)) return false;
        items_.back().text.assign(text, length);
        return true;
    }
    bool StartObject() { return open(JsonItem::Kind::object); }
    bool Key(const char* text, rapidjson::SizeType length, bool) {
        key_.assign(text, length);
        return true;
    }
    bool EndObject(rapidjson::SizeType) { return close(); }
    bool StartArray() { return open(JsonItem::Kind::array); }
    bool EndArray(rapidjson::SizeType) { return close(); }

private:
    std::string pathOfNext() const {
        if (containers_.empty()) return {};
        const std::string& parent = containers_.back().path;
        const std::string name = containers_.back().array ? std::string("#") : key_;
        return parent.empty() && containers_.size() == 1 ? name : parent + "/" + name;
    }
    bool add(JsonItem::Kind kind, std::int64_t integer = 0, bool flag = false) {
        JsonItem item;
        item.path = pathOfNext();
        item.depth = static_cast<int>(containers_.size());
        item.kind = kind;
        item.integer = integer;
        item.flag = flag;
        items_.push_back(std::move(item));
        return true;
    }
    bool open(JsonItem::Kind kind) {
        if (containers_.size() >= kMaxDepth) return false;
        add(kind);
        containers_.push_back({items_.back().path, kind == JsonItem::Kind::array});
        return true;
    }
    bool close() {
        containers_.pop_back();
        return true;
    }

    struct Container {
        std::string path;
        bool array;
    };
    std::vector<JsonItem>& items_;
    std::vector<Container> containers_;
    std::string key_;
};

}  // namespace

bool readJsonItems(std::string_view json, std::vector<JsonItem>& items) {
    items.clear();
    Collector collector(items);
    rapidjson::MemoryStream bytes(json.data(), json.size());
    rapidjson::Reader reader;
    return !reader.Parse(bytes, collector).IsError();
}

const JsonItem* findJsonItem(const std::vector<JsonItem>& items, std::string_view path) {
    for (const JsonItem& item : items)
        if (item.path == path) return &item;
    return nullptr;
}
