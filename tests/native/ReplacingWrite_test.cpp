#include "core/ReplacingWrite.h"

#include <gtest/gtest.h>

#include "core/MemoryFileSystem.h"

// The target holds either its old bytes or the new ones whole, and no new file is left behind.
TEST(ReplacingWrite, TheTargetChangesOnlyByACompleteReplaceAndNoNewFileStays) {
    enum Ending { Replaced, Discarded, Abandoned, Refused };
    const struct {
        Ending ending;
        const char* target;  // what the target holds afterwards
    } cases[] = {{Replaced, "new"}, {Discarded, "old"}, {Abandoned, "old"}, {Refused, "old"}};
    for (const auto& c : cases) {
        MemoryFileSystem fs;
        fs.put("db", "old");
        if (c.ending == Refused) fs.readOnly.insert("db");
        {
            CReplacingWrite write(fs, "db");
            ASSERT_NE(write.file(), nullptr);
            write.file()->write("new", 3);
            write.close();
            EXPECT_EQ(*fs.get("db"), "old") << "untouched until the replace";
            if (c.ending == Replaced) EXPECT_TRUE(write.replace());
            if (c.ending == Discarded) write.discard();
            if (c.ending == Refused) {
                EXPECT_FALSE(write.replace());
                EXPECT_FALSE(write.reason().empty());
            }
        }
        EXPECT_EQ(*fs.get("db"), c.target) << c.ending;
        EXPECT_EQ(fs.files.size(), 1u) << c.ending;
    }
}

TEST(ReplacingWrite, ANewFileThatCannotBeMadeGivesItsReasonAndTouchesNothing) {
    MemoryFileSystem fs;
    fs.put("db.tmp", "someone's");
    fs.readOnly.insert("db.tmp");
    {
        CReplacingWrite write(fs, "db");
        EXPECT_EQ(write.file(), nullptr);
        EXPECT_FALSE(write.reason().empty());
    }
    EXPECT_EQ(*fs.get("db.tmp"), "someone's");
}
