// The outbox: every listen waiting to be sent, and those the server refused, in one file beside
// the database. A new listen is appended to the file before the call returns: once written it is
// in the system's hands, so a crash of the player loses nothing. The wait for the disk is left to
// the sending thread, which makes the file durable (flushOutboxFile) before it sends anything, so
// nothing is sent that the disk does not hold. Every other change writes a complete new file,
// flushes it and puts it in place in one durable step. Each line carries a checksum, so a line cut
// by a crash or a power cut is recognised and left out, while every line before it is read whole:
// the old or the new outbox, never a cut one.
//
// Only the thread that owns the outbox writes it; the sending thread gets copies of its bytes and
// only flushes the file, taking turns with the owner (IFileTurn) so that the file is never
// replaced while that thread holds it open.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class IFileSystem;

// Turns with the outbox file between its owner and the thread that flushes it: the owner enters
// before it replaces the file (Windows refuses to replace a file another handle holds open).
class IFileTurn {
public:
    virtual ~IFileTurn() = default;
    virtual void enter() = 0;
    virtual void leave() = 0;
};

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

    // Queues a listen: appended to the file before this returns (not yet flushed to the disk).
    // False when the file could not be written; the listen is then still queued in memory and the
    // next write of the file holds it.
    bool append(std::string listen);
    // True while lines were appended that no flush has been asked for since.
    bool unflushed() const { return unflushed_; }
    // The owner handed a flush of the file to the flushing thread (or it failed: asked again).
    void flushHandedOver() { unflushed_ = false; }
    void flushFailed() { unflushed_ = true; }
    // The turn taken around each replace of the file; null: none needed (one thread).
    void setFileTurn(IFileTurn* turn) { turn_ = turn; }
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
    IFileTurn* turn_ = nullptr;
    bool rewriteNeeded_ = true;  // the file does not hold exactly what memory holds
    bool unflushed_ = false;     // appended lines wait for a flush
    bool blocked_ = false;       // an unreadable outbox stayed in place: nothing writes over it
    std::string lastError_;
};

// Makes what was appended to the outbox file durable (opens it and flushes it to the disk); run
// by the sending thread inside the owner's file turn. False, with the reason, when it could not.
// A file that does not exist holds nothing to flush.
bool flushOutboxFile(IFileSystem& files, const std::string& path, std::string& error);
