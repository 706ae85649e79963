// The file calls of the database and the tag reader. Native builds use POSIX, Windows builds the
// Windows file calls; tests may substitute a file system that fails on purpose.
#pragma once
// Wide names take the UTF-8 form where file names are bytes (POSIX, the memory file system).
#include "core/Utf.h"
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

class IFile {
public:
    virtual ~IFile() = default;
    // Reads up to n bytes and returns how many were read (fewer only at the end of the file).
    // A failing read raises CFileException.
    virtual std::size_t read(void* buffer, std::size_t n) = 0;
    // Writes all n bytes or raises CFileException.
    virtual void write(const void* buffer, std::size_t n) = 0;
    // Moves to `position` bytes from the start; a negative position raises CFileException.
    virtual void seek(std::int64_t position) = 0;
    virtual std::int64_t size() = 0;
    // Flushes the file's data to the disk (FlushFileBuffers / fsync); raises CFileException.
    virtual void flush() = 0;
    // Closes the file; raises CFileException when the system reports a failure. Idempotent.
    virtual void close() = 0;
};

class IFileSystem {
public:
    virtual ~IFileSystem() = default;
    // Opens an existing file for reading, sharing it with other readers and writers.
    // Returns null when it cannot be opened (see lastErrorText).
    virtual std::unique_ptr<IFile> openRead(const std::string& path) = 0;
    // The same by a wide (UTF-16) name, for names the ANSI code page cannot hold. Null when it
    // cannot be opened.
    virtual std::unique_ptr<IFile> openReadWide(const std::u16string& path) = 0;
    // Creates a file for writing, truncating an existing one. Null on failure.
    virtual std::unique_ptr<IFile> createWrite(const std::string& path) = 0;
    // Opens an existing file for writing without cutting it (the caller seeks to where it writes).
    // Null when it cannot be opened; by default never, and callers then rewrite the file whole.
    virtual std::unique_ptr<IFile> openWrite(const std::string& path) { (void)path; return nullptr; }
    // Puts `from` in place of `to` in one step, replacing `to` if it exists, and makes the change
    // durable (MoveFileEx with write-through / rename). False on failure.
    virtual bool replaceFile(const std::string& from, const std::string& to) = 0;
    // The same replace without waiting for the disk, for copies whose loss in a power cut loses
    // nothing (an export of the plays): by default the durable replace.
    virtual bool replaceFileUnsynced(const std::string& from, const std::string& to) { return replaceFile(from, to); }
    // Renames without replacing: fails when `to` exists.
    virtual bool moveFile(const std::string& from, const std::string& to) = 0;
    virtual bool removeFile(const std::string& path) = 0;
    virtual bool exists(const std::string& path) = 0;
    virtual bool existsWide(const std::u16string& path) = 0;
    // True when the path names a folder.
    virtual bool isFolder(const std::string& path) { (void)path; return false; }
    // True when both names reach one file (another case, a relative part, a short name); by
    // default the names compared without regard to ASCII case.
    virtual bool sameFile(const std::string& a, const std::string& b) {
        auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (a.empty() || a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (lower(a[i]) != lower(b[i])) return false;
        return true;
    }
    // The system's description of the last failure of this file system (at most 1024 characters).
    virtual std::string lastErrorText() = 0;
};

// A played file by the name that holds it whole: `widePath` when there is one, else `path`.
std::unique_ptr<IFile> openTrackFile(IFileSystem& files, const std::string& path, const std::u16string& widePath);
bool trackFileExists(IFileSystem& files, const std::string& path, const std::u16string& widePath);

// The platform's file system (POSIX natively, the Windows file calls on Windows).
IFileSystem& systemFileSystem();
// A file system of its own for another thread: its last failure is not the other thread's.
std::unique_ptr<IFileSystem> newSystemFileSystem();
