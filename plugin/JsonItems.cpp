#include "plugin/JsonItems.h"

#include "exchange/JsonEvents.h"

namespace {

constexpr int kMaxDepth = 32;

class Collector : public JsonEvents {
public:
    explicit Collector(std::vector<JsonItem>& items) : items_(items) {}

    bool Null() override { return add(JsonItem::Kind::null); }
    bool Bool(bool b) override { return add(JsonItem::Kind::boolean, 0, b); }
    bool Int(int i) override { return add(JsonItem::Kind::integer, i); }
    bool Uint(unsigned u) override { return add(JsonItem::Kind::integer, u); }
    bool Int64(std::int64_t i) override { return add(JsonItem::Kind::integer, i); }
    bool Uint64(std::uint64_t) override { return add(JsonItem::Kind::number); }  // beyond a signed 64-bit integer
    bool Double(double) override { return add(JsonItem::Kind::number); }
    bool String(const char* text, std::size_t length) override {
        if (!add(JsonItem::Kind::text)) return false;
        items_.back().text.assign(text, length);
        return true;
    }
    bool StartObject() override { return open(JsonItem::Kind::object); }
    bool Key(const char* text, std::size_t length) override {
        key_.assign(text, length);
        return true;
    }
    bool EndObject() override { return close(); }
    bool StartArray() override { return open(JsonItem::Kind::array); }
    bool EndArray() override { return close(); }

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
    JsonInput input(json);
    return parseJson(input, collector, true).ok;
}

const JsonItem* findJsonItem(const std::vector<JsonItem>& items, std::string_view path) {
    for (const JsonItem& item : items)
        if (item.path == path) return &item;
    return nullptr;
}
