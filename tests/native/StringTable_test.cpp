#include <gtest/gtest.h>

#include "resources/StringTable.h"

TEST(StringTable, KnownAndUnknownIds) {
    EXPECT_EQ(loadString(82), "Dozoderi Playtally v 1.2");
    EXPECT_EQ(loadString(25), "Main");
    EXPECT_EQ(loadString(999999), "");
}
