#include <gtest/gtest.h>

#include "core/Exceptions.h"
#include "core/FileSystem.h"
#include "tags/Id3v1Tag.h"
#include "tests/native/TempDir.h"

namespace {

CId3v1Tag tagFromBytes(const std::string& block128) {
    CId3v1Tag tag;
    tag.SetBody(reinterpret_cast<const std::uint8_t*>(block128.data()) + 3);
    return tag;
}

}  // namespace

TEST(Id3v1Tag, FieldsAreTakenUpToTheFirstZeroAndTrimmed) {
    std::string block = id3v1Block("Song   ", "  Lead", "Album\t\r\n", "1999", "c", 17);
    block.replace(3 + 5, 4, "    ");  // "Song" + spaces, then zero bytes
    CId3v1Tag tag = tagFromBytes(block);
    EXPECT_EQ(tag.title(), "Song");
    EXPECT_EQ(tag.artist(), "  Lead");  // leading blanks stay
    EXPECT_EQ(tag.album(), "Album");
    EXPECT_EQ(tag.year(), "1999");
    EXPECT_EQ(tag.comment(), "c");
    EXPECT_EQ(tag.genre(), 17);
}

TEST(Id3v1Tag, FullPlacesWithoutTerminatorGiveAllTheirBytes) {
    const std::string thirty(30, 'x');
    CId3v1Tag tag = tagFromBytes(id3v1Block(thirty, "a", "b", "2020", std::string(30, 'c'), 0));
    EXPECT_EQ(tag.title(), thirty);
    EXPECT_EQ(tag.year(), "2020");
    EXPECT_EQ(tag.comment(), std::string(30, 'c'));  // no track number is read from the comment
    EXPECT_EQ(tag.genre(), 0);
}

TEST(Id3v1Tag, EmptyTagBuildsZeroBodyWithNoGenre) {
    CId3v1Tag tag;
    EXPECT_EQ(tag.genre(), CId3v1Tag::kNoGenre);
    tag.BuildBody();
    for (std::size_t i = 0; i < 124; ++i) EXPECT_EQ(tag.body()[i], 0) << i;
    EXPECT_EQ(tag.body()[124], 255);
}

TEST(Id3v1Tag, ValuesAreTrimmedCutAndRoundTrip) {
    CId3v1Tag tag("Artist  ", "An album name that is longer than thirty bytes", "Title", "19999", " note ", 3);
    EXPECT_EQ(tag.artist(), "Artist");
    EXPECT_EQ(tag.album(), "An album name that is longer t");  // cut at 30
    EXPECT_EQ(tag.year(), "1999");
    EXPECT_EQ(tag.comment(), " note");
    EXPECT_EQ(tag.body()[124], 3);
    EXPECT_EQ(tag.body()[30 + 6], 0);  // trailing blanks are not written

    CId3v1Tag copy;
    copy.SetBody(tag.body().data());
    EXPECT_EQ(copy.body(), tag.body());
    EXPECT_EQ(copy.title(), "Title");
    EXPECT_EQ(copy.genre(), 3);
}

TEST(Id3v1Tag, BuildBodyRewritesTrimmedFields) {
    std::string block = id3v1Block("ab   ", "", "", "", "", 5);
    CId3v1Tag tag = tagFromBytes(block);
    tag.setGenre(9);
    tag.BuildBody();
    EXPECT_EQ(tag.body()[2], 0);  // the blanks after "ab" became zero bytes
    EXPECT_EQ(tag.body()[124], 9);
    EXPECT_EQ(tag.title(), "ab");
}

TEST(GenreNames, TableEdgesAndUnnamedNumbers) {
    struct Case {
        int genre;
        const char* name;
    } cases[] = {{0, "Blues"},          {47, "Instrumantal Rock"}, {67, "Psychadelic"}, {78, "Rock & Rol"},
                 {117, "Rythmic Soul"}, {125, "Dance Hall"},       {255, ""},           {126, "Unknown (126)"}};
    for (const Case& c : cases) EXPECT_EQ(genreName(static_cast<std::uint8_t>(c.genre)), c.name) << c.genre;
}

TEST(Id3v1TagFile, ReadsTheLastBytesOfAFile) {
    TempDir dir;
    IFileSystem& fs = systemFileSystem();
    CId3v1Tag tag;
    std::string audio(1000, '\x55');
    ASSERT_TRUE(tag.ReadFromFile(fs, dir.write("ok.mp3", audio + id3v1Block("T", "A", "B", "2001", "C", 13))));
    EXPECT_EQ(tag.title(), "T");
    EXPECT_EQ(tag.genre(), 13);

    EXPECT_FALSE(tag.ReadFromFile(fs, dir.write("lower.mp3", audio + "tag" + std::string(125, 'x'))));
    EXPECT_FALSE(tag.ReadFromFile(fs, dir.write("none.mp3", audio + std::string(128, '\0'))));
    EXPECT_FALSE(tag.ReadFromFile(fs, dir.file("missing.mp3")));
    EXPECT_FALSE(tag.ReadFromFile(fs, dir.path()));  // a folder is no file
    EXPECT_FALSE(tag.ReadFromFile(fs, ""));
    // Exactly a tag and nothing else is a valid file.
    EXPECT_TRUE(tag.ReadFromFile(fs, dir.write("only.mp3", id3v1Block("x", "y", "", "", "", 1))));
}

TEST(Id3v1TagFile, FilesShorterThanATagRaiseTheTagException) {
    TempDir dir;
    CId3v1Tag tag;
    for (std::size_t size : {0u, 3u, 100u, 127u}) {
        std::string path = dir.write("short.mp3", std::string(size, 'T'));
        EXPECT_THROW(tag.ReadFromFile(systemFileSystem(), path), CMyReadMp3TagException) << size;
    }
}

TEST(Id3v1Tag, TrackNumberTakesTheCommentsLastTwoBytes) {
    CId3v1Tag tag("A", "", "T", "", std::string(30, 'c'), 1);
    EXPECT_EQ(tag.trackNumber(), 0);  // a full comment holds none
    tag.setTrackNumber(12);
    EXPECT_EQ(tag.trackNumber(), 12);
    EXPECT_EQ(tag.comment(), std::string(28, 'c'));
    tag.setTrackNumber(0);
    EXPECT_EQ(tag.trackNumber(), 0);
    EXPECT_EQ(tag.comment(), std::string(28, 'c'));
    EXPECT_EQ(tag.genre(), 1);
}
