#include <gtest/gtest.h>

#include "database/Archive.h"
#include "core/MemoryFileSystem.h"
#include "tests/native/DbFileSupport.h"

using dbtest::archiveString;
using dbtest::le16;
using dbtest::le32;

namespace {

// Counts the writes that reach the file.
class CountingFile : public IFile {
public:
    std::size_t read(void*, std::size_t) override { return 0; }
    void write(const void* buffer, std::size_t n) override {
        bytes.append(static_cast<const char*>(buffer), n);
        ++writes;
    }
    void seek(std::int64_t) override {}
    std::int64_t size() override { return static_cast<std::int64_t>(bytes.size()); }
    void flush() override {}
    void close() override {}
    std::string bytes;
    int writes = 0;
};

std::string stored(void (*fill)(CArchive&)) {
    CountingFile file;
    CArchive archive(file, CArchive::store);
    fill(archive);
    archive.Flush();
    return file.bytes;
}

struct Loader {
    explicit Loader(const std::string& bytes) {
        fs.put("f", bytes);
        file = fs.openRead("f");
        archive = std::make_unique<CArchive>(*file, CArchive::load);
    }
    MemoryFileSystem fs;
    std::unique_ptr<IFile> file;
    std::unique_ptr<CArchive> archive;
};

std::string readOne(const std::string& bytes) { return Loader(bytes).archive->ReadString(); }

enum class Outcome { text, endOfFile, textCut, damaged };
Outcome readOutcome(const std::string& bytes) {
    try {
        readOne(bytes);
        return Outcome::text;
    } catch (const CArchiveTextCut&) {
        return Outcome::textCut;
    } catch (const CArchiveEndOfFile&) {
        return Outcome::endOfFile;
    } catch (const CArchiveException&) {
        return Outcome::damaged;
    }
}

std::string utf16(std::initializer_list<std::uint16_t> units) {
    std::string s;
    for (std::uint16_t u : units) s += le16(u);
    return s;
}

}  // namespace

TEST(Archive, WordsAreLittleEndian) {
    std::string bytes = stored([](CArchive& a) {
        a.WriteUInt32(0x01020304);
        a.WriteInt32(-2);
    });
    EXPECT_EQ(bytes, std::string("\x04\x03\x02\x01\xFE\xFF\xFF\xFF", 8));
    Loader l(bytes);
    EXPECT_EQ(l.archive->ReadUInt32(), 0x01020304u);
    EXPECT_EQ(l.archive->ReadInt32(), -2);
    EXPECT_TRUE(l.archive->AtEnd());
}

TEST(Archive, StringPrefixFormsByLength) {
    struct Case {
        std::size_t length;
        std::string prefix;
    };
    const Case cases[] = {
        {0, std::string(1, '\0')},
        {1, "\x01"},
        {254, "\xFE"},
        {255, "\xFF" + le16(255)},
        {300, "\xFF" + le16(300)},
        {65533, "\xFF" + le16(65533)},
        {65534, "\xFF\xFF\xFF" + le32(65534)},
        {65535, "\xFF\xFF\xFF" + le32(65535)},
        {70000, "\xFF\xFF\xFF" + le32(70000)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        std::string text(c.length, 'p');
        for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>('a' + i % 26);
        CountingFile file;
        CArchive archive(file, CArchive::store);
        archive.WriteString(text);
        archive.Flush();
        EXPECT_EQ(file.bytes, c.prefix + text);
        EXPECT_EQ(readOne(file.bytes), text);
    }
}

TEST(Archive, WritesGoOutInBufferSizedBlocks) {
    CountingFile file;
    std::string expected;
    {
        CArchive archive(file, CArchive::store);
        for (int i = 0; i < 500; ++i) {
            std::string s(static_cast<std::size_t>(i % 37), static_cast<char>('A' + i % 26));
            archive.WriteString(s);
            archive.WriteUInt32(static_cast<std::uint32_t>(i));
            expected += archiveString(s) + le32(static_cast<std::uint32_t>(i));
        }
        EXPECT_LT(file.bytes.size(), expected.size());  // still buffered
        archive.Flush();
    }
    EXPECT_EQ(file.bytes, expected);
    EXPECT_EQ(file.writes, static_cast<int>((expected.size() + CArchive::kBufferSize - 1) / CArchive::kBufferSize));
}

TEST(Archive, ReadsAcrossBufferBoundaries) {
    std::string bytes;
    std::vector<std::string> texts;
    for (int i = 0; i < 400; ++i) {
        std::string s(static_cast<std::size_t>((i * 53) % 700), static_cast<char>('a' + i % 26));
        texts.push_back(s);
        bytes += le32(static_cast<std::uint32_t>(i)) + archiveString(s);
    }
    Loader l(bytes);
    for (int i = 0; i < 400; ++i) {
        ASSERT_EQ(l.archive->ReadUInt32(), static_cast<std::uint32_t>(i));
        ASSERT_EQ(l.archive->ReadString(), texts[static_cast<std::size_t>(i)]);
    }
    EXPECT_TRUE(l.archive->AtEnd());
    EXPECT_THROW(l.archive->ReadUInt32(), CArchiveEndOfFile);
}

TEST(Archive, RawReadStopsAtTheEnd) {
    Loader l("abcde");
    char out[8] = {};
    EXPECT_EQ(l.archive->Read(out, 3), 3u);
    EXPECT_EQ(l.archive->Read(out, 8), 2u);
    EXPECT_EQ(std::string(out, 2), "de");
    EXPECT_EQ(l.archive->Read(out, 8), 0u);
}

TEST(Archive, WideStringsAreConvertedToTheCodePage) {
    struct Case {
        const char* name;
        std::string bytes;
        std::string text;
    };
    std::vector<std::uint16_t> many(300, 'w');
    std::string manyBytes;
    for (std::uint16_t u : many) manyBytes += le16(u);
    const Case cases[] = {
        {"empty", std::string("\xFF\xFE\xFF\x00", 4), ""},
        {"ascii", "\xFF\xFE\xFF\x03" + utf16({'A', 'B', 'C'}), "ABC"},
        {"latin-1", "\xFF\xFE\xFF\x02" + utf16({0xE9, 0xFC}), "\xE9\xFC"},
        {"outside the code page", "\xFF\xFE\xFF\x03" + utf16({'a', 0x0416, 'b'}), "a?b"},
        {"surrogate pair is one character", "\xFF\xFE\xFF\x03" + utf16({'x', 0xD83D, 0xDE00}), "x?"},
        {"16-bit unit count", "\xFF\xFE\xFF\xFF" + le16(300) + manyBytes, std::string(300, 'w')},
        {"32-bit unit count", "\xFF\xFE\xFF\xFF\xFF\xFF" + le32(300) + manyBytes, std::string(300, 'w')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(readOne(c.bytes), c.text);
    }
}

TEST(Archive, DamagedOrCutPrefixes) {
    struct Case {
        const char* name;
        std::string bytes;
        Outcome outcome;
    };
    const Case cases[] = {
        {"nothing", "", Outcome::endOfFile},
        {"cut 16-bit length", "\xFF\x10", Outcome::endOfFile},
        {"cut 32-bit length", "\xFF\xFF\xFF\x01\x00", Outcome::endOfFile},
        {"cut wide prefix", "\xFF\xFE\xFF", Outcome::endOfFile},
        {"exact fit", "\x03" "abc", Outcome::text},
        {"one byte short", "\x04" "abc", Outcome::textCut},
        {"16-bit length beyond the end", "\xFF" + le16(5000) + "abc", Outcome::textCut},
        {"huge 32-bit length", "\xFF\xFF\xFF" + le32(0xFFFFFFF0u) + "abc", Outcome::textCut},
        {"largest 32-bit length", "\xFF\xFF\xFF" + le32(0xFFFFFFFFu) + "abc", Outcome::textCut},
        {"wide string beyond the end", "\xFF\xFE\xFF\x03" + utf16({'a', 'b'}), Outcome::textCut},
        {"huge wide string", "\xFF\xFE\xFF\xFF\xFF\xFF" + le32(0x80000000u) + "ab", Outcome::textCut},
        {"wide mark where a length belongs", "\xFF\xFE\xFF\xFF\xFE\xFF" + le32(2), Outcome::damaged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(readOutcome(c.bytes), c.outcome);
    }
}
