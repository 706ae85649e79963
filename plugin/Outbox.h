// The outbox: every listen waiting to be sent, and those the server refused, in one file beside
// the database. A new listen is appended to the file (and flushed to the disk) before anything
// tries to send it; every other change writes a complete new file and puts it in place in one
// step. Each line carries a checksum, so a line cut by a crash or a power cut is recognised and
// left out, while every line before it is read whole: the old or the new outbox, never a cut one.
//
// Only the thread that owns the outbox touches it; the sending thread gets copies of its bytes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class IFileSystem;

struct OutboxListen {
    std::uint64_t id = 0;  // increasing: the order the listens were queued in
    std::string bytes;     // the listen's JSON exactly as first built
};

struct RefusedListen {
    std::uint64_t id = 0;
    std::string bytes;
    std::string reason;  // in words, one line
};

struct OutboxContent {
    std::vector<OutboxListen> waiting;  // oldest first
    std::vector<RefusedListen> refused;
    std::size_t damagedLines = 0;       // lines left out: cut, or not matching their checksum
    bool known = true;                  // false: the bytes are not an outbox at all
};

// Reads an outbox file's bytes; any bytes give a defined result.
OutboxContent parseOutbox(std::string_view bytes);

class COutbox {
public:
    COutbox(IFileSystem& files, std::string path);

    enum class LoadResult { empty, loaded, damaged };
    // Reads the file (none: an empty outbox). A damaged file is kept aside as "<path>.damaged",
    // and what it held whole is written back as a fresh outbox.
    LoadResult load();

    // Queues a listen: appended to the file before this returns. False when the file could not be
    // written; the listen is then still queued in memory and the next write of the file holds it.
    bool append(std::string listen);
    // The listens the server accepted (the first `count` waiting ones) leave the outbox.
    bool removeFirst(std::size_t count);
    // The waiting listen with this id moves to the refused list, with the reason.
    bool refuse(std::uint64_t id, const std::string& reason);
    bool clearRefused();

    const std::vector<OutboxListen>& waiting() const { return content_.waiting; }
    const std::vector<RefusedListen>& refused() const { return content_.refused; }
    const std::string& path() const { return path_; }
    // Why the last write failed, in the file system's words ("" after a good one).
    const std::string& lastError() const { return lastError_; }

private:
    bool rewrite();
    bool appendLine(const std::string& line);

    IFileSystem& files_;
    std::string path_;
    OutboxContent content_;
    std::uint64_t nextId_ = 1;
    bool rewriteNeeded_ = true;  // the file does not hold exactly what memory holds
    bool blocked_ = false;       // an unreadable outbox stayed in place: nothing writes over it
    std::string lastError_;
};
