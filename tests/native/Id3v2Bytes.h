// The bytes of ID3v2 tags (2.2, 2.3, 2.4), built by hand from the published layout, for the tests,
// the seed corpus of the tag fuzzer and the tag benchmarks.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace id3v2 {

// Code points of a UTF-8 text (the tests' own sources are UTF-8).
inline std::vector<std::uint32_t> codePoints(const std::string& utf8) {
    std::vector<std::uint32_t> out;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const int extra = b < 0x80 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : 3;
        std::uint32_t cp = extra == 0 ? b : b & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k) cp = (cp << 6) | (utf8[i + k] & 0x3F);
        out.push_back(cp);
        i += extra + 1;
    }
    return out;
}

inline void put16(std::string& out, std::uint32_t unit, bool bigEndian) {
    const char hi = static_cast<char>(unit >> 8), lo = static_cast<char>(unit & 0xFF);
    out += bigEndian ? hi : lo;
    out += bigEndian ? lo : hi;
}

// A text in one of the four encodings (0 Latin-1, 1 UTF-16 with a byte order mark, 2 UTF-16BE,
// 3 UTF-8), without terminator. `littleEndianMark` picks the order of encoding 1.
inline std::string encode(int encoding, const std::string& utf8, bool littleEndianMark = true) {
    if (encoding == 3) return utf8;
    std::string out;
    const bool big = encoding == 2 || (encoding == 1 && !littleEndianMark);
    if (encoding == 1) put16(out, 0xFEFF, big);
    for (std::uint32_t cp : codePoints(utf8)) {
        if (encoding == 0) {
            out += static_cast<char>(cp < 0x100 ? cp : '?');
        } else if (cp >= 0x10000) {
            put16(out, 0xD800 + ((cp - 0x10000) >> 10), big);
            put16(out, 0xDC00 + ((cp - 0x10000) & 0x3FF), big);
        } else {
            put16(out, cp, big);
        }
    }
    return out;
}
inline std::string terminator(int encoding) { return encoding == 1 || encoding == 2 ? std::string(2, '\0') : std::string(1, '\0'); }

// A text frame's data: the encoding byte and the values, separated by terminators (2.4 style).
inline std::string textData(int encoding, const std::vector<std::string>& values) {
    std::string data(1, static_cast<char>(encoding));
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i) data += terminator(encoding);
        data += encode(encoding, values[i]);
    }
    return data;
}
inline std::string textData(int encoding, const std::string& value) { return textData(encoding, std::vector<std::string>{value}); }

// A comment frame's data: encoding, language, description, terminator, text.
inline std::string commentData(int encoding, const std::string& description, const std::string& text) {
    return std::string(1, static_cast<char>(encoding)) + "eng" + encode(encoding, description) + terminator(encoding) +
           encode(encoding, text);
}

inline std::string syncsafe(std::uint32_t n) {
    return {static_cast<char>((n >> 21) & 0x7F), static_cast<char>((n >> 14) & 0x7F), static_cast<char>((n >> 7) & 0x7F),
            static_cast<char>(n & 0x7F)};
}
inline std::string plain(std::uint32_t n, int bytes = 4) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i) out += static_cast<char>((n >> (8 * i)) & 0xFF);
    return out;
}

// Unsynchronisation: a 0 byte after every 0xFF that a 0 or a byte of 0xE0 and up follows, and
// after a 0xFF at the end.
inline std::string unsynchronise(const std::string& in) {
    std::string out;
    for (std::size_t i = 0; i < in.size(); ++i) {
        out += in[i];
        if (static_cast<unsigned char>(in[i]) != 0xFF) continue;
        if (i + 1 == in.size() || in[i + 1] == 0 || static_cast<unsigned char>(in[i + 1]) >= 0xE0) out += '\0';
    }
    return out;
}

enum class SizeForm { natural, plainIn24 };

// One frame: its id (3 letters in 2.2, 4 after), the data as it stands in the file, the two flag
// bytes (2.3/2.4), and for 2.4 whether its size is written plain (a known tagger fault).
inline std::string frame(int version, const std::string& id, const std::string& data, std::uint8_t statusFlags = 0,
                         std::uint8_t formatFlags = 0, SizeForm form = SizeForm::natural) {
    const auto n = static_cast<std::uint32_t>(data.size());
    if (version == 2) return id + plain(n, 3) + data;
    const std::string size = version == 4 && form == SizeForm::natural ? syncsafe(n) : plain(n);
    return id + size + static_cast<char>(statusFlags) + static_cast<char>(formatFlags) + data;
}

// A whole tag: the 10-byte header and the body (frames, padding), its size syncsafe. A `claimed`
// size other than 0 is written in place of the body's real size.
inline std::string tag(int version, const std::string& body, std::uint8_t flags = 0, std::uint32_t claimed = 0) {
    return std::string("ID3") + static_cast<char>(version) + '\0' + static_cast<char>(flags) +
           syncsafe(claimed ? claimed : static_cast<std::uint32_t>(body.size())) + body;
}

// The frame ids of the six fields in each version.
struct Ids {
    const char *title, *artist, *album, *year, *comment, *genre;
};
inline Ids idsOf(int version) {
    if (version == 2) return {"TT2", "TP1", "TAL", "TYE", "COM", "TCO"};
    return {"TIT2", "TPE1", "TALB", version == 4 ? "TDRC" : "TYER", "COMM", "TCON"};
}

// A typical tag of the six text frames in one encoding.
inline std::string sixFrames(int version, int encoding, const std::string& title, const std::string& artist,
                             const std::string& album, const std::string& year, const std::string& comment,
                             const std::string& genre) {
    const Ids ids = idsOf(version);
    return frame(version, ids.title, textData(encoding, title)) + frame(version, ids.artist, textData(encoding, artist)) +
           frame(version, ids.album, textData(encoding, album)) + frame(version, ids.year, textData(encoding, year)) +
           frame(version, ids.comment, commentData(encoding, "", comment)) +
           frame(version, ids.genre, textData(encoding, genre));
}

}  // namespace id3v2
