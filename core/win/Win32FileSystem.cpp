// The file system of the Windows build, over the Windows file calls (ANSI paths; played files
// whose names the ANSI code page cannot hold by their wide names).
#include <windows.h>

#include <algorithm>

#include "core/Exceptions.h"
#include "core/FileSystem.h"
#include "core/win/SystemText.h"

namespace {

[[noreturn]] void raise(DWORD error) { throw CFileException(systemErrorText(error), static_cast<int>(error)); }

class Win32File : public IFile {
public:
    explicit Win32File(HANDLE h) : h_(h) {}
    ~Win32File() override {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    std::size_t read(void* buffer, std::size_t n) override {
        std::size_t done = 0;
        while (done < n) {
            DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(n - done, 1u << 30));
            DWORD got = 0;
            if (!ReadFile(h_, static_cast<char*>(buffer) + done, chunk, &got, nullptr)) raise(GetLastError());
            if (got == 0) break;
            done += got;
        }
        return done;
    }
    void write(const void* buffer, std::size_t n) override {
        std::size_t done = 0;
        while (done < n) {
            DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(n - done, 1u << 30));
            DWORD put = 0;
            if (!WriteFile(h_, static_cast<const char*>(buffer) + done, chunk, &put, nullptr)) raise(GetLastError());
            if (put == 0) raise(ERROR_WRITE_FAULT);
            done += put;
        }
    }
    void seek(std::int64_t position) override {
        if (position < 0) raise(ERROR_NEGATIVE_SEEK);
        LARGE_INTEGER to;
        to.QuadPart = position;
        if (!SetFilePointerEx(h_, to, nullptr, FILE_BEGIN)) raise(GetLastError());
    }
    std::int64_t size() override {
        LARGE_INTEGER s;
        if (!GetFileSizeEx(h_, &s)) raise(GetLastError());
        return s.QuadPart;
    }
    void flush() override {
        if (!FlushFileBuffers(h_)) raise(GetLastError());
    }
    void close() override {
        if (h_ == INVALID_HANDLE_VALUE) return;
        HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        if (!CloseHandle(h)) raise(GetLastError());
    }

private:
    HANDLE h_;
};

class Win32FileSystem : public IFileSystem {
public:
    std::unique_ptr<IFile> openRead(const std::string& path) override {
        return open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    }
    std::unique_ptr<IFile> openReadWide(const std::u16string& path) override {
        if (path.empty()) {
            lastError_ = ERROR_PATH_NOT_FOUND;
            return nullptr;
        }
        HANDLE h = CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            fail();
            return nullptr;
        }
        return std::make_unique<Win32File>(h);
    }
    std::unique_ptr<IFile> createWrite(const std::string& path) override {
        return open(path, GENERIC_WRITE, 0, CREATE_ALWAYS);
    }
    std::unique_ptr<IFile> openWrite(const std::string& path) override {
        // Shared with another writer: the outbox is appended to on one thread and flushed to the
        // disk on another.
        return open(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    }
    bool replaceFile(const std::string& from, const std::string& to) override {
        // Windows refuses to replace a read-only file, but not every implementation of the call
        // does (Wine replaces it): a file the user protected is never replaced.
        DWORD attributes = GetFileAttributesA(to.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
            lastError_ = ERROR_ACCESS_DENIED;
            return false;
        }
        return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) || fail();
    }
    bool moveFile(const std::string& from, const std::string& to) override {
        return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH) || fail();
    }
    bool removeFile(const std::string& path) override { return DeleteFileA(path.c_str()) || fail(); }
    bool exists(const std::string& path) override { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
    bool existsWide(const std::u16string& path) override {
        return GetFileAttributesW(reinterpret_cast<const wchar_t*>(path.c_str())) != INVALID_FILE_ATTRIBUTES;
    }
    bool isFolder(const std::string& path) override {
        DWORD attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    // Compared by the file's identity when both exist, otherwise by the full path.
    bool sameFile(const std::string& a, const std::string& b) override {
        auto identity = [](const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
            HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
            if (file == INVALID_HANDLE_VALUE) return false;
            const bool known = GetFileInformationByHandle(file, &info) != FALSE;
            CloseHandle(file);
            return known;
        };
        BY_HANDLE_FILE_INFORMATION ia{}, ib{};
        if (identity(a, ia) && identity(b, ib))
            return ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber && ia.nFileIndexHigh == ib.nFileIndexHigh &&
                   ia.nFileIndexLow == ib.nFileIndexLow;
        auto full = [](const std::string& path) {
            char buffer[MAX_PATH * 4] = {};
            DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
            return n > 0 && n < sizeof buffer ? std::string(buffer, n) : path;
        };
        return !a.empty() && lstrcmpiA(full(a).c_str(), full(b).c_str()) == 0;
    }
    std::string lastErrorText() override { return systemErrorText(lastError_); }

private:
    std::unique_ptr<IFile> open(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
        if (path.empty()) {
            lastError_ = ERROR_PATH_NOT_FOUND;
            return nullptr;
        }
        HANDLE h = CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            fail();
            return nullptr;
        }
        return std::make_unique<Win32File>(h);
    }
    bool fail() {
        lastError_ = GetLastError();
        return false;
    }
    DWORD lastError_ = 0;
};

}  // namespace

IFileSystem& systemFileSystem() {
    static Win32FileSystem fs;
    return fs;
}
