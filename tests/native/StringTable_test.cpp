#include <gtest/gtest.h>

#include "resources/StringTable.h"
#include "resources/resource.h"

TEST(StringTable, KnownAndUnknownIds) {
    EXPECT_EQ(loadString(IDS_REGISTRY_PRODUCT), "Dozoderi Playtally v 1.2");
    EXPECT_EQ(loadString(IDS_SECTION_MAIN), "Main");
    EXPECT_EQ(loadString(999999), "");
}
