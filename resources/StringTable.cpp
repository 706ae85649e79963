#include "resources/StringTable.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

namespace {
struct StringEntry {
    int id;
    const char* text;
    std::size_t length;  // texts may hold bytes of any value
};
const StringEntry kStrings[] = {
#include "StringTableData.inc"
};
}  // namespace

std::string loadString(int id) {
    auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                               [](const StringEntry& e, int key) { return e.id < key; });
    if (it == std::end(kStrings) || it->id != id) return std::string();
    return std::string(it->text, it->length);
}
