#include "core/StableOrder.h"

#include <algorithm>

void stableSortPositions(std::vector<std::size_t>& positions, PositionLess less, const void* rule) {
    std::stable_sort(positions.begin(), positions.end(),
                     [less, rule](std::size_t a, std::size_t b) { return less(rule, a, b); });
}
