#include <windows.h>

#include <gtest/gtest.h>

#include "framework/Module.h"
#include "resources/StringTable.h"

// The table the portable code uses must agree with the resource the DLL carries.
TEST(StringResource, TableMatchesResource) {
    for (int id : {1, 18, 25, 82, 1014}) {
        char buffer[8192] = {};
        int n = LoadStringA(moduleInstance(), id, buffer, sizeof buffer);
        ASSERT_GT(n, 0) << "string " << id;
        EXPECT_EQ(std::string(buffer, n), loadString(id)) << "string " << id;
    }
}
