#include "tags/Id3v1Tag.h"

#include <cstring>

#include "core/AnsiText.h"
#include "core/Exceptions.h"
#include "core/FileSystem.h"

namespace {

struct Place {
    std::size_t offset;
    std::size_t width;
};
// Places of the text fields in the body.
constexpr Place kTitle{0, 30}, kArtist{30, 30}, kAlbum{60, 30}, kYear{90, 4}, kComment{94, 30};
constexpr std::size_t kTrackOffset = 123;  // ID3v1.1: the comment's last byte, after a 0
constexpr std::size_t kGenreOffset = 124;
constexpr std::size_t kTagSize = 128;

std::string_view fieldOf(const CId3v1Tag::Body& body, Place p) {
    const char* start = reinterpret_cast<const char*>(body.data()) + p.offset;
    const void* zero = std::memchr(start, 0, p.width);
    std::size_t n = zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - start) : p.width;
    return ansiTrimRight(std::string_view(start, n));
}

void writePlace(CId3v1Tag::Body& body, Place p, std::string_view text) {
    text = ansiTrimRight(text);
    // Longer texts are cut, with no terminator, and never inside a double-byte character.
    std::size_t n = ansiFitLength(text, p.width);
    std::memcpy(body.data() + p.offset, text.data(), n);
    std::memset(body.data() + p.offset + n, 0, p.width - n);
}

const char* const kGenres[kGenreCount] = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz", "Metal",
    "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno", "Industrial",
    "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop",
    "Vocal", "Jazz & Funk", "Fusion", "Trance", "Classical", "Instrumental", "Acid", "House", "Game",
    "Sound Clip", "Gospel", "Noise", "Altern. Rock", "Bass", "Soul", "Punk", "Space", "Meditative",
    "Instrumental Pop", "Instrumantal Rock", "Ethnic", "Gothic", "Darkwave", "Techno-Industrial",
    "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy", "Cult", "Gangsta", "Top 40",
    "Christian Rap", "Pop/Funk", "Jungle", "Native American", "Cabaret", "New Wave", "Psychadelic", "Rave",
    "Showtunes", "Trailer", "Lo-Fi", "Tribal", "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical",
    "Rock & Rol", "Hard Rock", "Folk", "Folk-Rock", "National Folk", "Swing", "Fast Fusion", "Bebob",
    "Latin", "Revival", "Celtic", "Bluegrass", "Avantgarde", "Gothic Rock", "Progressive Rock",
    "Psychadelic Rock", "Symphonic Rock", "Slow Rock", "Big Band", "Chorus", "Easy Listening", "Acoustic",
    "Humour", "Speech", "Chanson", "Opera", "Chamber Music", "Sonata", "Symphony", "Booty Bass", "Primus",
    "Porn Groove", "Satire", "Slow Jam", "Club", "Tango", "Samba", "Ballad", "Power Ballad", "Rythmic Soul",
    "Freestyle", "Duet", "Punk Rock", "Folklore", "Drum Solo", "Acapella", "Euro-House", "Dance Hall",
};

}  // namespace

const char* genreTableName(std::uint8_t genre) { return genre < kGenreCount ? kGenres[genre] : nullptr; }

std::string genreName(std::uint8_t genre) {
    if (genre < kGenreCount) return kGenres[genre];
    if (genre == CId3v1Tag::kNoGenre) return std::string();
    // Numbers the table does not name still stand for a genre the file gives.
    return "Unknown (" + std::to_string(genre) + ")";
}

CId3v1Tag::CId3v1Tag(const std::string& artist, const std::string& album, const std::string& title,
                     const std::string& year, const std::string& comment, std::uint8_t genre)
    : genre_(genre) {
    writePlace(body_, kTitle, title);
    writePlace(body_, kArtist, artist);
    writePlace(body_, kAlbum, album);
    writePlace(body_, kYear, year);
    writePlace(body_, kComment, comment);
    body_[kGenreOffset] = genre_;
}

std::string_view CId3v1Tag::title() const { return fieldOf(body_, kTitle); }
std::string_view CId3v1Tag::artist() const { return fieldOf(body_, kArtist); }
std::string_view CId3v1Tag::album() const { return fieldOf(body_, kAlbum); }
std::string_view CId3v1Tag::year() const { return fieldOf(body_, kYear); }
std::string_view CId3v1Tag::comment() const { return fieldOf(body_, kComment); }

std::uint8_t CId3v1Tag::trackNumber() const {
    return body_[kTrackOffset - 1] == 0 ? body_[kTrackOffset] : 0;
}

void CId3v1Tag::setTrackNumber(std::uint8_t track) {
    if (track == 0) {
        if (trackNumber() != 0) body_[kTrackOffset] = 0;
        return;
    }
    const std::string comment(fieldOf(body_, kComment));
    writePlace(body_, {kComment.offset, kComment.width - 2}, comment);
    body_[kTrackOffset - 1] = 0;
    body_[kTrackOffset] = track;
}

void CId3v1Tag::SetBody(const std::uint8_t* body) {
    std::memcpy(body_.data(), body, kBodySize);
    RebuildFields();
}

void CId3v1Tag::RebuildFields() { genre_ = body_[kGenreOffset]; }

void CId3v1Tag::BuildBody() {
    // Each field is trimmed and written back into its place, zero-padded.
    for (Place p : {kTitle, kArtist, kAlbum, kYear, kComment}) {
        std::string text(fieldOf(body_, p));
        writePlace(body_, p, text);
    }
    body_[kGenreOffset] = genre_;
}

bool CId3v1Tag::ReadFromFile(IFileSystem& files, const std::string& path) {
    std::unique_ptr<IFile> file = files.openRead(path);
    if (!file) return false;
    if (!ReadFromOpenFile(*file)) return false;
    try {
        file->close();
    } catch (const CFileException&) {
        throw CMyReadMp3TagException();
    }
    return true;
}

bool CId3v1Tag::ReadFromOpenFile(IFile& file) {
    try {
        file.seek(file.size() - static_cast<std::int64_t>(kTagSize));
        char marker[3];
        if (file.read(marker, sizeof marker) != sizeof marker) throw CFileException("end of file");
        if (std::memcmp(marker, "TAG", 3) != 0) return false;
        Body body;
        if (file.read(body.data(), kBodySize) != kBodySize) throw CFileException("end of file");
        SetBody(body.data());
        return true;
    } catch (const CFileException&) {
        throw CMyReadMp3TagException();
    }
}
