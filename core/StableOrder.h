// Positions (indexes into a caller's data) put in order by the caller's rule, equal ones keeping
// their order. Every such sort goes through one instantiation of the library's stable sort, with
// the rule reached through a pointer: that sort is large, and one copy per rule added up.
#pragma once
#include <cstddef>
#include <vector>

using PositionLess = bool (*)(const void* rule, std::size_t a, std::size_t b);
void stableSortPositions(std::vector<std::size_t>& positions, PositionLess less, const void* rule);

// `rule(a, b)`: whether position a goes before position b.
template <class Rule>
void stableSortPositions(std::vector<std::size_t>& positions, const Rule& rule) {
    stableSortPositions(
        positions, [](const void* r, std::size_t a, std::size_t b) { return (*static_cast<const Rule*>(r))(a, b); },
        &rule);
}
