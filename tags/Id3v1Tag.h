// The ID3v1 tag of an MP3 file: the 125-byte body after "TAG" and the six fields it holds.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

class IFile;
class IFileSystem;

class CId3v1Tag {
public:
    static constexpr std::size_t kBodySize = 125;
    static constexpr std::uint8_t kNoGenre = 255;
    using Body = std::array<std::uint8_t, kBodySize>;

    // An empty tag: empty texts, no genre, a body of zero bytes.
    CId3v1Tag() = default;
    // A tag whose body is built from the given values (each trimmed, then cut to its place).
    CId3v1Tag(const std::string& artist, const std::string& album, const std::string& title,
              const std::string& year, const std::string& comment, std::uint8_t genre);
    CId3v1Tag(const CId3v1Tag&) = default;
    CId3v1Tag& operator=(const CId3v1Tag&) = default;

    // Reads the tag at the end of the file. False when the file cannot be opened or has no "TAG";
    // raises CMyReadMp3TagException when seeking or reading fails (a file shorter than 128 bytes).
    bool ReadFromFile(IFileSystem& files, const std::string& path);
    // The same on a file already open (left open).
    bool ReadFromOpenFile(IFile& file);
    // Copies a body and rebuilds the fields from it.
    void SetBody(const std::uint8_t* body);
    // Fields from the body.
    void RebuildFields();
    // Body from the fields.
    void BuildBody();

    // The text fields are views of the body (each place up to its first 0 byte, trimmed): a record
    // keeps no second copy of them. Valid as long as the tag is unchanged.
    std::string_view title() const;
    std::string_view artist() const;
    std::string_view album() const;
    std::string_view year() const;
    std::string_view comment() const;
    // ID3v1.1: a comment whose 29th byte is 0 and whose 30th is not holds the track number there
    // (0: none).
    std::uint8_t trackNumber() const;
    // Gives the tag a track number, cutting the comment to the 28 bytes left to it; 0 takes the
    // number away.
    void setTrackNumber(std::uint8_t track);
    std::uint8_t genre() const { return genre_; }
    void setGenre(std::uint8_t genre) { genre_ = genre; }
    const Body& body() const { return body_; }
    Body& body() { return body_; }

private:
    Body body_{};
    // Kept apart from body byte 124: a new tag names no genre although its body is all zero.
    std::uint8_t genre_ = kNoGenre;
};

// The name of a genre byte: the table's name for 0 to 125, "" for 255.
std::string genreName(std::uint8_t genre);
// The table's name of a genre byte (0 to 125), or null.
const char* genreTableName(std::uint8_t genre);
// The number of named genres (126).
constexpr int kGenreCount = 126;
