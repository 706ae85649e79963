#include "tags/Id3v2Tag.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/AnsiText.h"
#include "core/Utf.h"
#include "core/Exceptions.h"
#include "core/FileSystem.h"

namespace {

using Units = std::u16string;

constexpr std::size_t kHeaderSize = 10;

std::uint32_t syncsafe(const std::uint8_t* b) {
    return (std::uint32_t(b[0] & 0x7F) << 21) | (std::uint32_t(b[1] & 0x7F) << 14) | (std::uint32_t(b[2] & 0x7F) << 7) |
           std::uint32_t(b[3] & 0x7F);
}
std::uint32_t plain32(const std::uint8_t* b) {
    return (std::uint32_t(b[0]) << 24) | (std::uint32_t(b[1]) << 16) | (std::uint32_t(b[2]) << 8) | std::uint32_t(b[3]);
}
std::uint32_t plain24(const std::uint8_t* b) {
    return (std::uint32_t(b[0]) << 16) | (std::uint32_t(b[1]) << 8) | std::uint32_t(b[2]);
}
bool isSyncsafe(const std::uint8_t* b) { return ((b[0] | b[1] | b[2] | b[3]) & 0x80) == 0; }

bool isFrameIdChar(std::uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }
bool isFrameId(const std::uint8_t* b, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i)
        if (!isFrameIdChar(b[i])) return false;
    return true;
}

// Undoes unsynchronisation in place (every 0xFF 0x00 becomes 0xFF); returns the new length.
std::size_t resynchronise(std::uint8_t* data, std::size_t n) {
    std::size_t out = 0;
    bool afterFF = false;
    for (std::size_t i = 0; i < n; ++i) {
        if (afterFF && data[i] == 0) {
            afterFF = false;
            continue;
        }
        afterFF = data[i] == 0xFF;
        data[out++] = data[i];
    }
    return out;
}

// The tag's bytes after its header, as a stream. A tag unsynchronised as a whole (2.2, 2.3) is
// resynchronised on the fly, so skipping means reading; otherwise skipping is a seek. Bytes pushed
// back are served first (the extended-header test reads four bytes it may have to give back).
class TagStream {
public:
    TagStream(IFile& file, std::int64_t start, std::int64_t end, bool unsync)
        : file_(file), pos_(start), end_(end), unsync_(unsync) {
        file_.seek(start);
    }

    // In the file's bytes (before resynchronisation).
    std::int64_t position() const { return pos_ - static_cast<std::int64_t>(pushedCount_ + (rawEnd_ - rawAt_)); }
    std::int64_t remaining() const { return end_ - position(); }

    // Up to n bytes of the tag; fewer at its end.
    std::size_t read(std::uint8_t* out, std::size_t n) {
        std::size_t done = 0;
        while (done < n && pushedCount_ > 0) {
            out[done++] = pushed_[pushedFirst_++];
            --pushedCount_;
        }
        if (!unsync_) {
            std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(n - done, end_ - pos_));
            std::size_t got = want ? file_.read(out + done, want) : 0;
            pos_ += static_cast<std::int64_t>(got);
            if (got < want) pos_ = end_;  // the file ended early: so does the tag
            return done + got;
        }
        while (done < n) {
            if (rawAt_ == rawEnd_ && !fillRaw()) break;
            const std::uint8_t b = raw_[rawAt_++];
            if (afterFF_ && b == 0) {
                afterFF_ = false;
                continue;
            }
            afterFF_ = b == 0xFF;
            out[done++] = b;
        }
        return done;
    }

    void skip(std::int64_t n) {
        while (n > 0 && pushedCount_ > 0) {
            ++pushedFirst_;
            --pushedCount_;
            --n;
        }
        if (n <= 0) return;
        if (!unsync_) {
            pos_ = std::min(end_, pos_ + n);
            file_.seek(pos_);
            return;
        }
        std::uint8_t scratch[512];
        while (n > 0) {
            std::size_t got = read(scratch, static_cast<std::size_t>(std::min<std::int64_t>(n, sizeof scratch)));
            if (got == 0) break;
            n -= static_cast<std::int64_t>(got);
        }
    }

    // Gives back the last bytes read (at most 16), to be read again.
    void pushBack(const std::uint8_t* bytes, std::size_t n) {
        n = std::min(n, sizeof pushed_);
        std::memcpy(pushed_, bytes, n);
        pushedFirst_ = 0;
        pushedCount_ = n;
    }

    // Without whole-tag unsynchronisation only: the n bytes at `offset` bytes past the current
    // position, the position unchanged. False when the tag ends before them.
    bool peek(std::int64_t offset, std::uint8_t* out, std::size_t n) {
        const std::int64_t at = position() + offset;
        if (at < 0 || at + static_cast<std::int64_t>(n) > end_) return false;
        const std::int64_t back = pos_;
        file_.seek(at);
        const bool whole = file_.read(out, n) == n;
        file_.seek(back);
        return whole;
    }

private:
    IFile& file_;
    std::int64_t pos_;
    std::int64_t end_;
    bool unsync_;
    bool afterFF_ = false;
    std::uint8_t pushed_[16];
    // Whole-tag unsynchronisation: raw bytes read ahead, pos_ counting those taken from the file.
    std::uint8_t raw_[1024];
    std::size_t rawAt_ = 0;
    std::size_t rawEnd_ = 0;

    bool fillRaw() {
        const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(sizeof raw_, end_ - pos_));
        const std::size_t got = want ? file_.read(raw_, want) : 0;
        pos_ = got < want ? end_ : pos_ + static_cast<std::int64_t>(got);
        rawAt_ = 0;
        rawEnd_ = got;
        return got > 0;
    }
    std::size_t pushedFirst_ = 0;
    std::size_t pushedCount_ = 0;
};

// --- Texts ---

// The first value of a text in one of the four encodings, from `p` on, and the bytes it took up
// to and including its terminator. Encoding 1 follows its byte order mark (little-endian without
// one, as some taggers wrote it); encoding 2 is big-endian unless a mark says otherwise.
std::size_t decodeText(std::uint8_t encoding, const std::uint8_t* p, std::size_t n, Units& out) {
    out.clear();
    if (encoding == 0 || encoding == 3) {
        const std::uint8_t* zero = static_cast<const std::uint8_t*>(std::memchr(p, 0, n));
        const std::size_t len = zero ? static_cast<std::size_t>(zero - p) : n;
        if (encoding == 0) {
            out.assign(p, p + len);  // Latin-1: each byte its own code point
        } else {
            out = utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(p), len));
            if (!out.empty() && out.front() == 0xFEFF) out.erase(out.begin());
        }
        return zero ? len + 1 : len;
    }
    bool bigEndian = encoding == 2;
    std::size_t i = 0;
    for (; i + 1 < n; i += 2) {
        const std::uint16_t u = static_cast<std::uint16_t>(bigEndian ? (p[i] << 8) | p[i + 1] : p[i] | (p[i + 1] << 8));
        if (u == 0) return i + 2;
        if (u == 0xFEFF) continue;  // a mark in the order assumed so far
        if (u == 0xFFFE) {          // a mark of the other order
            bigEndian = !bigEndian;
            continue;
        }
        out.push_back(u);
    }
    return n;
}

std::string toUtf8(const Units& units) { return units.empty() ? std::string() : utf16ToUtf8(units); }

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char a = text[i], b = prefix[i];
        if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
        if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
        if (a != b) return false;
    }
    return true;
}

// Comments that players and taggers keep for themselves (gapless playback, volume normalisation,
// disc identifiers): never what the listener wrote.
bool isPrivateComment(std::string_view description) {
    for (std::string_view prefix : {"iTun", "Songs-DB", "MusicMatch", "MusicBrainz"})
        if (startsWithNoCase(description, prefix)) return true;
    return false;
}

// --- Frames ---

enum class Field { none, title, artist, album, yearPlain, yearRecorded, comment, genre };

Field fieldOfFrame(const std::uint8_t* id, int version) {
    struct Name {
        const char* id;
        Field field;
    };
    static const Name k22[] = {{"TT2", Field::title},     {"TP1", Field::artist},  {"TAL", Field::album},
                               {"TYE", Field::yearPlain}, {"COM", Field::comment}, {"TCO", Field::genre}};
    // TYER belongs to 2.3 and TDRC to 2.4, but each turns up in the other's tags: both are read,
    // and the version's own wins.
    static const Name k23[] = {{"TIT2", Field::title},        {"TPE1", Field::artist},    {"TALB", Field::album},
                               {"TYER", Field::yearPlain},    {"TDRC", Field::yearRecorded},
                               {"COMM", Field::comment},      {"TCON", Field::genre}};
    if (version == 2) {
        for (const Name& n : k22)
            if (std::memcmp(id, n.id, 3) == 0) return n.field;
    } else {
        for (const Name& n : k23)
            if (std::memcmp(id, n.id, 4) == 0) return n.field;
    }
    return Field::none;
}

struct Found {
    std::string title, artist, album, yearPlain, yearRecorded, comment, genre;
    bool haveComment = false;
    bool commentHasDescription = false;
};

void takeFrame(Field field, const std::uint8_t* data, std::size_t n, Found& found) {
    if (n < 1) return;
    const std::uint8_t encoding = data[0];
    if (encoding > 3) return;
    Units units;
    if (field == Field::comment) {
        if (n < 4) return;
        std::size_t at = 4;  // encoding, then the three letters of the language
        const std::size_t took = decodeText(encoding, data + at, n - at, units);
        const std::string description = toUtf8(units);
        if (isPrivateComment(description)) return;
        // A comment without a description is the one a tag's reader shows; a described one only
        // stands in until such a comment turns up.
        if (found.haveComment && (description.size() > 0 || !found.commentHasDescription)) return;
        at += took;
        decodeText(encoding, data + at, at < n ? n - at : 0, units);
        found.comment = toUtf8(units);
        found.haveComment = true;
        found.commentHasDescription = !description.empty();
        return;
    }
    decodeText(encoding, data + 1, n - 1, units);
    std::string text = toUtf8(units);
    switch (field) {
    case Field::title: found.title = std::move(text); break;
    case Field::artist: found.artist = std::move(text); break;
    case Field::album: found.album = std::move(text); break;
    case Field::yearPlain: found.yearPlain = std::move(text); break;
    case Field::yearRecorded: found.yearRecorded = std::move(text); break;
    case Field::genre: found.genre = std::move(text); break;
    default: break;
    }
}

// Whether a 2.4 frame's size, read one way, ends where something valid starts: the tag's end, its
// padding, or another frame's header.
bool landsOnFrame(TagStream& stream, std::int64_t afterHeader, std::uint32_t size) {
    const std::int64_t next = afterHeader + size;
    if (next == stream.remaining()) return true;
    if (next > stream.remaining()) return false;
    std::uint8_t id[4];
    if (!stream.peek(next, id, 1)) return false;
    if (id[0] == 0) return true;
    return stream.peek(next, id, 4) && isFrameId(id, 4);
}

void readFrames(TagStream& stream, int version, bool unsyncFlag, Found& found) {
    const std::size_t headerSize = version == 2 ? 6 : 10;
    const std::size_t idSize = version == 2 ? 3 : 4;
    std::vector<std::uint8_t> data;
    while (stream.remaining() >= static_cast<std::int64_t>(headerSize)) {
        std::uint8_t h[10];
        if (stream.read(h, headerSize) != headerSize) return;
        if (h[0] == 0) return;                  // padding: no frames after it
        if (!isFrameId(h, idSize)) return;      // damage: what was read so far stands
        std::uint32_t size;
        std::uint8_t format = 0;
        if (version == 2) {
            size = plain24(h + 3);
        } else if (version == 3) {
            size = plain32(h + 4);
            format = h[9];
        } else {
            // Some taggers wrote 2.3's plain sizes into 2.4 tags.
            const std::uint32_t safe = syncsafe(h + 4), plain = plain32(h + 4);
            size = safe;
            if (!isSyncsafe(h + 4))
                size = plain;
            else if (safe != plain && !landsOnFrame(stream, 0, safe) && landsOnFrame(stream, 0, plain))
                size = plain;
            format = h[9];
        }
        if (size > stream.remaining()) return;  // a frame larger than what is left: damage
        const Field field = fieldOfFrame(h, version);

        // What stands between the header and the frame's data, and frames not worth reading.
        std::uint32_t prefix = 0;
        bool unreadable = false;
        bool unsyncFrame = false;
        if (version == 3) {
            unreadable = (format & 0xC0) != 0;  // compressed or encrypted
            if (format & 0x20) ++prefix;        // group id
        } else if (version == 4) {
            unreadable = (format & 0x0C) != 0;  // compressed or encrypted
            if (format & 0x40) ++prefix;        // group id
            if (format & 0x01) prefix += 4;     // data length indicator
            unsyncFrame = (format & 0x02) || unsyncFlag;
        }
        if (field == Field::none || unreadable || prefix >= size) {
            stream.skip(size);
            continue;
        }
        stream.skip(prefix);
        const std::size_t body = size - prefix;
        const std::size_t take = std::min(body, kMaxId3v2FrameRead);
        data.resize(take);
        const std::size_t got = stream.read(data.data(), take);
        stream.skip(static_cast<std::int64_t>(body - take));
        std::size_t n = got;
        // 2.4 unsynchronises frame by frame; the whole-tag kind was undone by the stream already.
        if (unsyncFrame) n = resynchronise(data.data(), n);
        takeFrame(field, data.data(), n, found);
    }
}

// Skips the extended header when there is one. A header flag set with no extended header written
// is a known tagger fault: when the bytes there do not make an extended header, they are the
// first frame and stay.
void skipExtendedHeader(TagStream& stream, int version) {
    std::uint8_t b[4];
    if (stream.read(b, 4) != 4) return;
    if (version == 3) {
        const std::uint32_t size = plain32(b);  // not counting its own four bytes
        if ((size == 6 || size == 10) && size <= stream.remaining()) {
            stream.skip(size);
            return;
        }
    } else {
        const std::uint32_t size = syncsafe(b);  // counting its own four bytes
        if (isSyncsafe(b) && size >= 6 && size - 4 <= stream.remaining() && !isFrameId(b, 4)) {
            stream.skip(size - 4);
            return;
        }
    }
    stream.pushBack(b, 4);
}

}  // namespace

std::uint8_t genreFromText(std::string_view text) {
    text = ansiTrimRight(text);
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    auto number = [](std::string_view digits, std::size_t& used) -> int {
        int value = 0;
        used = 0;
        while (used < digits.size() && digits[used] >= '0' && digits[used] <= '9' && used < 4) {
            value = value * 10 + (digits[used] - '0');
            ++used;
        }
        return used ? value : -1;
    };
    std::size_t used = 0;
    if (text.size() > 1 && text[0] == '(' && text[1] != '(') {
        const int value = number(text.substr(1), used);
        if (value >= 0 && value < CId3v1Tag::kNoGenre && 1 + used < text.size() && text[1 + used] == ')')
            return static_cast<std::uint8_t>(value);
        // "(RX)", "(CR)" and the like name no genre of the table; a name may still follow.
        const std::size_t close = text.find(')');
        if (close == std::string_view::npos) return CId3v1Tag::kNoGenre;
        text.remove_prefix(close + 1);
    }
    const int value = number(text, used);
    if (value >= 0 && used == text.size()) return value < CId3v1Tag::kNoGenre ? static_cast<std::uint8_t>(value) : CId3v1Tag::kNoGenre;
    for (int g = 0; g < kGenreCount; ++g) {
        const std::string name = genreName(static_cast<std::uint8_t>(g));
        if (name.size() == text.size() && startsWithNoCase(text, name)) return static_cast<std::uint8_t>(g);
    }
    return CId3v1Tag::kNoGenre;
}

std::string yearFromText(std::string_view text) {
    if (text.size() < 4) return std::string();
    for (std::size_t i = 0; i < 4; ++i)
        if (text[i] < '0' || text[i] > '9') return std::string();
    return std::string(text.substr(0, 4));
}

namespace {
// A genre the table does not know, as the tag names it: without the references to the table that
// may stand before it ("(RX)Remix"), trimmed.
std::string ownGenreName(std::string_view text) {
    while (text.size() > 1 && text[0] == '(' && text[1] != '(') {
        const std::size_t close = text.find(')');
        if (close == std::string_view::npos) break;
        text.remove_prefix(close + 1);
    }
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    return std::string(utf8TrimRight(text));
}
}  // namespace

bool readId3v2Tag(IFile& file, Id3v2Fields& fields) {
    const std::int64_t fileSize = file.size();
    if (fileSize < static_cast<std::int64_t>(kHeaderSize)) return false;
    file.seek(0);
    std::uint8_t h[kHeaderSize];
    if (file.read(h, kHeaderSize) != kHeaderSize) return false;
    if (std::memcmp(h, "ID3", 3) != 0) return false;
    const int version = h[3];
    if (version < 2 || version > 4 || h[4] == 0xFF || !isSyncsafe(h + 6)) return false;
    const std::int64_t size = syncsafe(h + 6);
    if (size > kMaxId3v2TagSize) return false;
    // A tag that claims more than the file holds (a cut download) gives the frames that are there.
    const std::int64_t tagEnd = std::min<std::int64_t>(static_cast<std::int64_t>(kHeaderSize) + size, fileSize);
    const std::uint8_t flags = h[5];
    if (version == 2 && (flags & 0x40)) return false;  // 2.2's compression was never defined

    const bool unsyncFlag = (flags & 0x80) != 0;
    // 2.4 unsynchronises frame by frame; the earlier versions the tag as a whole.
    TagStream stream(file, static_cast<std::int64_t>(kHeaderSize), tagEnd, unsyncFlag && version < 4);
    if (version > 2 && (flags & 0x40)) skipExtendedHeader(stream, version);

    Found found;
    readFrames(stream, version, unsyncFlag, found);

    auto trimmed = [](const std::string& s) { return std::string(utf8TrimRight(s)); };
    fields.title = trimmed(found.title);
    fields.artist = trimmed(found.artist);
    fields.album = trimmed(found.album);
    const std::string& ownYear = version == 4 ? found.yearRecorded : found.yearPlain;
    const std::string& otherYear = version == 4 ? found.yearPlain : found.yearRecorded;
    fields.year = yearFromText(ownYear);
    if (fields.year.empty()) fields.year = yearFromText(otherYear);
    fields.comment = trimmed(found.comment);
    fields.genre = found.genre.empty() ? CId3v1Tag::kNoGenre : genreFromText(found.genre);
    fields.genreName = fields.genre != CId3v1Tag::kNoGenre ? genreName(fields.genre) : ownGenreName(found.genre);
    return true;
}
