#include <gtest/gtest.h>

#include "core/Exceptions.h"
#include "report/ReportWriter.h"

namespace {

// A file that keeps what it is given, and fails on a chosen write.
class MemoryFile : public IFile {
public:
    MemoryFile(std::string& bytes, int failAtWrite, int& writes) : bytes_(bytes), failAt_(failAtWrite), writes_(writes) {}
    std::size_t read(void*, std::size_t) override { return 0; }
    void write(const void* buffer, std::size_t n) override {
        if (++writes_ == failAt_) throw CFileException("There is not enough space on the disk.");
        bytes_.append(static_cast<const char*>(buffer), n);
    }
    void seek(std::int64_t) override {}
    std::int64_t size() override { return static_cast<std::int64_t>(bytes_.size()); }
    void flush() override {}
    void close() override {}

private:
    std::string& bytes_;
    int failAt_;
    int& writes_;
};

TEST(ReportWriter, EveryLineFeedBecomesCrLf) {
    std::string bytes;
    int writes = 0;
    CReportWriter writer(std::make_unique<MemoryFile>(bytes, 0, writes));
    writer.write("a\nb");
    writer.write("\n\n");
    writer.write("c\r\nd\n");  // text mode: a carriage return already there stays, as any byte
    writer.close();
    EXPECT_EQ(bytes, "a\r\nb\r\n\r\nc\r\r\nd\r\n");
    EXPECT_FALSE(writer.failed());
}

TEST(ReportWriter, AFailingWriteStopsWritingQuietly) {
    std::string bytes;
    int writes = 0;
    {
        CReportWriter writer(std::make_unique<MemoryFile>(bytes, 2, writes));
        const std::string block(40 * 1024, 'x');
        for (int i = 0; i < 10; ++i) EXPECT_NO_THROW(writer.write(block + "\n"));
        EXPECT_TRUE(writer.failed());
    }  // closing in the destructor throws nothing either
    EXPECT_EQ(writes, 2) << "nothing more is tried after the failure";
    EXPECT_GT(bytes.size(), 0u);
    EXPECT_LT(bytes.size(), 10u * 40 * 1024);
}

}  // namespace
