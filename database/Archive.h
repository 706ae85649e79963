// A buffered reader or writer of the database file's primitive items: little-endian 32-bit words,
// raw bytes and archive strings (a length prefix and single-byte text).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/Exceptions.h"

class IFile;

// The file ended inside a number or a string: the reader takes it as the normal end of the data
// and drops the item it was reading.
class CArchiveEndOfFile : public CArchiveException {
public:
    CArchiveEndOfFile() : CArchiveException("Unexpected end of file") {}

protected:
    explicit CArchiveEndOfFile(std::string reason) : CArchiveException(std::move(reason)) {}
};

// The end of the file came inside a string's text: the file is cut there, or the length before the
// text is damaged and more data follows that no reader can find. Either way it ends the data; the
// caller may want to keep the file, which can hold more than was read.
class CArchiveTextCut : public CArchiveEndOfFile {
public:
    CArchiveTextCut() : CArchiveEndOfFile("String longer than the rest of the file") {}
};

class CArchive {
public:
    enum Mode { store, load };
    // Large enough that a database of 100,000 plays (22 MB) takes a few hundred system calls
    // rather than thousands; each one costs far more than copying its bytes.
    static constexpr std::size_t kBufferSize = 65536;

    // The archive does not own the file. In load mode it takes the file's size now, so that no
    // length read from the file can make it reserve more than the file still holds.
    CArchive(IFile& file, Mode mode, std::size_t bufferSize = kBufferSize);
    // Never writes: a storing archive must be flushed explicitly, where failures can be reported.
    ~CArchive() = default;
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsLoading() const { return loading_; }
    bool IsStoring() const { return !loading_; }

    // --- Storing ---
    void WriteUInt32(std::uint32_t value);
    void WriteInt32(std::int32_t value) { WriteUInt32(static_cast<std::uint32_t>(value)); }
    void Write(const void* data, std::size_t n);
    // The length prefix in its shortest form, then the bytes.
    void WriteString(std::string_view text);
    // The wide form: 0xFF, 0xFFFE, a length prefix counting 16-bit characters, UTF-16LE text.
    void WriteWideString(const std::u16string& text);
    // Hands the buffered bytes to the file (not to the disk). Raises CFileException.
    void Flush();

    // --- Loading ---
    // Raise CArchiveEndOfFile when fewer than 4 bytes remain.
    std::uint32_t ReadUInt32();
    std::int32_t ReadInt32() { return static_cast<std::int32_t>(ReadUInt32()); }
    // Reads up to n bytes; fewer only at the end of the file.
    std::size_t Read(void* data, std::size_t n);
    // Raises CArchiveEndOfFile when the prefix itself is cut, CArchiveTextCut when the string
    // claims more bytes than the file still holds, and CArchiveException when its prefix has no
    // known form.
    std::string ReadString();
    // The same into `text`.
    void ReadString(std::string& text);
    // The same, keeping a string of the wide form whole in `wide` as well (cleared for the
    // single-byte form), so that it can be written back as it was.
    void ReadString(std::string& text, std::u16string& wide);
    // The next n bytes (at most the buffer's size) without reading them, or null when the file
    // holds fewer; Skip(n) then reads them. For readers of fixed-size items that want no call per
    // field.
    const std::uint8_t* Peek(std::size_t n) {
        if (end_ - pos_ < n) {
            if (n > buffer_.size()) return nullptr;
            Fill();
            if (end_ - pos_ < n) return nullptr;
        }
        return buffer_.data() + pos_;
    }
    void Skip(std::size_t n) { pos_ += n; }
    // Bytes not read yet (buffered ones included).
    std::uint64_t Remaining() const { return (end_ - pos_) + fileRemaining_; }
    bool AtEnd() const { return Remaining() == 0; }

private:
    void WriteLength(std::size_t n);
    std::uint8_t ReadByte();
    std::uint16_t ReadUInt16();
    // A length in one of the three prefix forms; `first` is the already-read first byte.
    std::uint32_t ReadLengthAfter(std::uint8_t first);
    void Fill();
    void ReadExact(void* data, std::size_t n);

    IFile& file_;
    bool loading_;
    std::vector<std::uint8_t> buffer_;
    std::size_t pos_ = 0;  // next byte to read or write in buffer_
    std::size_t end_ = 0;  // loading: bytes valid in buffer_
    std::uint64_t fileRemaining_ = 0;  // loading: bytes of the file not yet in buffer_
};
