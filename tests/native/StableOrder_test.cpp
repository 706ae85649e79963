// Positions sorted by a rule through the one shared sort: in the rule's order, equal ones in
// their first order, whatever the count (the library switches methods past small counts).
#include <gtest/gtest.h>

#include <cstddef>
#include <vector>

#include "core/StableOrder.h"

TEST(StableOrder, PositionsFollowTheRuleAndEqualOnesKeepTheirOrder) {
    for (std::size_t count : {0u, 1u, 5u, 16u, 17u, 1000u}) {
        std::vector<int> keys(count);
        std::vector<std::size_t> positions(count);
        for (std::size_t i = 0; i < count; ++i) keys[i] = static_cast<int>((i * 7919) % 5), positions[i] = i;
        stableSortPositions(positions, [&](std::size_t a, std::size_t b) { return keys[a] > keys[b]; });
        for (std::size_t i = 1; i < count; ++i) {
            const std::size_t a = positions[i - 1], b = positions[i];
            ASSERT_TRUE(keys[a] > keys[b] || (keys[a] == keys[b] && a < b)) << count << " at " << i;
        }
    }
}
