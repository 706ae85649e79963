// The ID3v2 tag at the start of a file (versions 2.2, 2.3 and 2.4), read for the six fields that a
// record keeps. Texts come out whole, in UTF-8.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "tags/Id3v1Tag.h"

class IFile;

struct Id3v2Fields {
    std::string title, artist, album, year, comment;  // "" where the tag has none
    std::uint8_t genre = CId3v1Tag::kNoGenre;         // the genre's byte
    std::string genreName;  // the genre as named: the table's name, else the tag's own ("Synthwave")
};

// A tag that claims more than this is taken as damage, not as a tag: real tags with a large
// cover picture stay well below it, and the text frames sit in its first few kilobytes.
constexpr std::int64_t kMaxId3v2TagSize = 16 * 1024 * 1024;
// At most this much of one frame is read: whole texts are titles and names, and a comment's
// description comes before its text.
constexpr std::size_t kMaxId3v2FrameRead = 4096;

// Reads the tag at the start of `file`. False when there is none: no "ID3" header, a version it
// does not know, a size beyond the file or beyond kMaxId3v2TagSize, a compressed 2.2 tag. Frames
// that make no sense end the reading with what was found before them. Reads only the headers of
// the frames it skips (pictures are passed by seeking), never more than the tag's bytes. A failing
// read or seek raises CFileException.
bool readId3v2Tag(IFile& file, Id3v2Fields& fields);

// The genre byte of a genre text as tags and players write it: "(13)", "(13)Pop", "13" or a name
// of the genre table (any letter case); anything else is no genre (255).
std::uint8_t genreFromText(std::string_view text);
// The year as the body holds it: the first four characters when they are digits, else "".
std::string yearFromText(std::string_view text);
