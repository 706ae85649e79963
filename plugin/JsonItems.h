// A small JSON text (one listen, one answer of the server) read as the flat list of its values in
// document order, each named by its path of keys: what the checks of listens and the readers of
// answers need, without building a tree.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct JsonItem {
    enum class Kind { object, array, text, integer, number, boolean, null };
    std::string path;   // keys from the top joined by '/'; an array's items add "#"
    int depth = 0;      // 0: the top value
    Kind kind = Kind::null;
    std::int64_t integer = 0;
    bool flag = false;
    std::string text;   // a text's value, which may hold NUL characters
};

// False when the bytes are not one JSON value in well-formed UTF-8 (or nest deeper than 32 levels).
bool readJsonItems(std::string_view json, std::vector<JsonItem>& items);
// The first item with this path, or null.
const JsonItem* findJsonItem(const std::vector<JsonItem>& items, std::string_view path);
