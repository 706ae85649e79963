#include "database/Archive.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/CodePage.h"
#include "core/FileSystem.h"

namespace {

constexpr std::uint8_t kLongPrefix = 0xFF;     // a wider length follows
constexpr std::uint16_t kWideMark = 0xFFFE;    // UTF-16 text follows, with its own length prefix
constexpr std::uint16_t kLongerPrefix = 0xFFFF;  // a 32-bit length follows

}  // namespace

CArchive::CArchive(IFile& file, Mode mode, std::size_t bufferSize)
    : file_(file), loading_(mode == load), buffer_(std::max<std::size_t>(bufferSize, 16)) {
    if (loading_) {
        std::int64_t size = file_.size();
        fileRemaining_ = size > 0 ? static_cast<std::uint64_t>(size) : 0;
    }
}

// --- Storing ---

void CArchive::Write(const void* data, std::size_t n) {
    auto bytes = static_cast<const std::uint8_t*>(data);
    while (n > 0) {
        if (pos_ == 0 && n >= buffer_.size()) {
            // A block at least as large as the buffer goes straight to the file.
            file_.write(bytes, n);
            return;
        }
        std::size_t take = std::min(n, buffer_.size() - pos_);
        std::memcpy(buffer_.data() + pos_, bytes, take);
        pos_ += take;
        bytes += take;
        n -= take;
        if (pos_ == buffer_.size()) Flush();
    }
}

void CArchive::WriteUInt32(std::uint32_t value) {
    std::uint8_t b[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                         static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    Write(b, sizeof b);
}

void CArchive::WriteString(std::string_view text) {
    WriteLength(text.size());
    Write(text.data(), text.size());
}

void CArchive::WriteWideString(const std::u16string& text) {
    const std::uint8_t mark[3] = {kLongPrefix, 0xFE, 0xFF};
    Write(mark, sizeof mark);
    WriteLength(text.size());
    for (char16_t c : text) {
        const std::uint8_t unit[2] = {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8)};
        Write(unit, sizeof unit);
    }
}

void CArchive::WriteLength(std::size_t n) {
    std::uint8_t prefix[7];
    std::size_t prefixSize;
    if (n < kLongPrefix) {
        prefix[0] = static_cast<std::uint8_t>(n);
        prefixSize = 1;
    } else if (n < kWideMark) {
        prefix[0] = kLongPrefix;
        prefix[1] = static_cast<std::uint8_t>(n);
        prefix[2] = static_cast<std::uint8_t>(n >> 8);
        prefixSize = 3;
    } else {
        if (static_cast<std::uint64_t>(n) >= 0xFFFFFFFFull) throw CArchiveException("String too long for the file");
        auto n32 = static_cast<std::uint32_t>(n);
        prefix[0] = kLongPrefix;
        prefix[1] = 0xFF;
        prefix[2] = 0xFF;
        prefix[3] = static_cast<std::uint8_t>(n32);
        prefix[4] = static_cast<std::uint8_t>(n32 >> 8);
        prefix[5] = static_cast<std::uint8_t>(n32 >> 16);
        prefix[6] = static_cast<std::uint8_t>(n32 >> 24);
        prefixSize = 7;
    }
    Write(prefix, prefixSize);
}

void CArchive::Flush() {
    if (loading_ || pos_ == 0) return;
    std::size_t n = pos_;
    pos_ = 0;  // a failed write loses the buffer; the whole save fails anyway
    file_.write(buffer_.data(), n);
}

// --- Loading ---

void CArchive::Fill() {
    // Keep unread bytes at the front, then top the buffer up from the file.
    if (pos_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + pos_, end_ - pos_);
        end_ -= pos_;
        pos_ = 0;
    }
    std::size_t want = static_cast<std::size_t>(
        std::min<std::uint64_t>(buffer_.size() - end_, fileRemaining_));
    if (want == 0) return;
    std::size_t got = file_.read(buffer_.data() + end_, want);
    end_ += got;
    // A file that shrank since it was opened ends where the reads end.
    fileRemaining_ = got < want ? 0 : fileRemaining_ - got;
}

std::size_t CArchive::Read(void* data, std::size_t n) {
    auto out = static_cast<std::uint8_t*>(data);
    std::size_t done = 0;
    while (done < n) {
        if (pos_ == end_) {
            if (fileRemaining_ == 0) break;
            if (n - done >= buffer_.size()) {
                // Large reads bypass the buffer.
                std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(n - done, fileRemaining_));
                std::size_t got = file_.read(out + done, want);
                done += got;
                fileRemaining_ = got < want ? 0 : fileRemaining_ - got;
                continue;
            }
            Fill();
            if (pos_ == end_) break;
        }
        std::size_t take = std::min(n - done, end_ - pos_);
        std::memcpy(out + done, buffer_.data() + pos_, take);
        pos_ += take;
        done += take;
    }
    return done;
}

void CArchive::ReadExact(void* data, std::size_t n) {
    if (Read(data, n) != n) throw CArchiveEndOfFile();
}

std::uint8_t CArchive::ReadByte() {
    if (pos_ == end_) Fill();
    if (pos_ == end_) throw CArchiveEndOfFile();
    return buffer_[pos_++];
}

std::uint16_t CArchive::ReadUInt16() {
    std::uint8_t b[2];
    ReadExact(b, sizeof b);
    return static_cast<std::uint16_t>(b[0] | (b[1] << 8));
}

std::uint32_t CArchive::ReadUInt32() {
    if (end_ - pos_ >= 4) {  // the common case, straight from the buffer
        const std::uint8_t* b = buffer_.data() + pos_;
        pos_ += 4;
        return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
               (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
    }
    std::uint8_t b[4];
    ReadExact(b, sizeof b);
    return static_cast<std::uint32_t>(b[0]) | (static_cast<std::uint32_t>(b[1]) << 8) |
           (static_cast<std::uint32_t>(b[2]) << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

std::uint32_t CArchive::ReadLengthAfter(std::uint8_t first) {
    if (first < kLongPrefix) return first;
    std::uint16_t n16 = ReadUInt16();
    if (n16 < kWideMark) return n16;
    if (n16 == kLongerPrefix) return ReadUInt32();
    // The wide mark where only a length may stand.
    throw CArchiveException("Damaged string length");
}

std::string CArchive::ReadString() {
    std::string text;
    ReadString(text);
    return text;
}

void CArchive::ReadString(std::string& text) {
    std::u16string wide;
    ReadString(text, wide);
}

void CArchive::ReadString(std::string& text, std::u16string& wideText) {
    wideText.clear();
    std::uint8_t first = ReadByte();
    bool wide = false;
    std::uint32_t n;
    if (first == kLongPrefix) {
        std::uint16_t n16 = ReadUInt16();
        if (n16 == kWideMark) {
            wide = true;
            n = ReadLengthAfter(ReadByte());
        } else if (n16 == kLongerPrefix) {
            n = ReadUInt32();
        } else {
            n = n16;
        }
    } else {
        n = first;
    }

    // The length comes from the file: trust it only as far as the file still reaches, so a damaged
    // prefix can neither reserve huge memory nor send the reader on a long empty read.
    const std::uint64_t bytes = static_cast<std::uint64_t>(n) * (wide ? 2u : 1u);
    if (bytes > Remaining() || bytes > SIZE_MAX / 2) throw CArchiveTextCut();

    if (!wide) {
        if (n <= end_ - pos_) {  // the common case, straight from the buffer
            text = std::string(reinterpret_cast<const char*>(buffer_.data() + pos_), n);
            pos_ += n;
            return;
        }
        text.resize(n);
        ReadExact(&text[0], n);
        return;
    }
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(bytes));
    ReadExact(raw.data(), raw.size());
    wideText.resize(n);
    for (std::size_t i = 0; i < n; ++i) wideText[i] = static_cast<char16_t>(raw[2 * i] | (raw[2 * i + 1] << 8));
    text = utf16ToAnsi(wideText);
}
