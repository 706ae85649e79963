// The native file system over POSIX calls. The Windows build has its own (database/win).
#ifndef _WIN32
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/Exceptions.h"
#include "core/FileSystem.h"

namespace {

std::string errorText(int error) { return std::string(std::strerror(error)).substr(0, 1024); }

class PosixFile : public IFile {
public:
    explicit PosixFile(int fd) : fd_(fd) {}
    ~PosixFile() override {
        if (fd_ >= 0) ::close(fd_);
    }
    std::size_t read(void* buffer, std::size_t n) override {
        std::size_t done = 0;
        while (done < n) {
            ssize_t r = ::read(fd_, static_cast<char*>(buffer) + done, n - done);
            if (r < 0 && errno == EINTR) continue;
            if (r < 0) throw CFileException(errorText(errno), errno);
            if (r == 0) break;
            done += static_cast<std::size_t>(r);
        }
        return done;
    }
    void write(const void* buffer, std::size_t n) override {
        std::size_t done = 0;
        while (done < n) {
            ssize_t r = ::write(fd_, static_cast<const char*>(buffer) + done, n - done);
            if (r < 0 && errno == EINTR) continue;
            if (r < 0) throw CFileException(errorText(errno), errno);
            done += static_cast<std::size_t>(r);
        }
    }
    void seek(std::int64_t position) override {
        if (position < 0 || ::lseek(fd_, static_cast<off_t>(position), SEEK_SET) < 0)
            throw CFileException(errorText(position < 0 ? EINVAL : errno), position < 0 ? EINVAL : errno);
    }
    std::int64_t size() override {
        struct stat st;
        if (::fstat(fd_, &st) != 0) throw CFileException(errorText(errno), errno);
        return st.st_size;
    }
    void flush() override {
        if (::fsync(fd_) != 0) throw CFileException(errorText(errno), errno);
    }
    void close() override {
        if (fd_ < 0) return;
        int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) throw CFileException(errorText(errno), errno);
    }

private:
    int fd_;
};

class PosixFileSystem : public IFileSystem {
public:
    std::unique_ptr<IFile> openRead(const std::string& path) override { return open(path, O_RDONLY, true); }
    std::unique_ptr<IFile> openReadWide(const std::u16string& path) override { return openRead(utf16ToUtf8(path)); }
    std::unique_ptr<IFile> createWrite(const std::string& path) override {
        return open(path, O_WRONLY | O_CREAT | O_TRUNC, false);
    }
    std::unique_ptr<IFile> openWrite(const std::string& path) override { return open(path, O_WRONLY, true); }
    bool replaceFile(const std::string& from, const std::string& to) override {
        if (::rename(from.c_str(), to.c_str()) != 0) return fail();
        syncFolderOf(to);
        return true;
    }
    bool replaceFileUnsynced(const std::string& from, const std::string& to) override {
        return ::rename(from.c_str(), to.c_str()) == 0 || fail();
    }
    bool moveFile(const std::string& from, const std::string& to) override {
        // link + unlink fails when the target exists, unlike rename.
        if (::link(from.c_str(), to.c_str()) != 0) return fail();
        if (::unlink(from.c_str()) != 0) return fail();
        return true;
    }
    bool removeFile(const std::string& path) override { return ::unlink(path.c_str()) == 0 || fail(); }
    bool exists(const std::string& path) override {
        struct stat st;
        return ::stat(path.c_str(), &st) == 0;
    }
    bool existsWide(const std::u16string& path) override { return exists(utf16ToUtf8(path)); }
    bool isFolder(const std::string& path) override {
        struct stat st;
        return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    std::string lastErrorText() override { return errorText(lastError_); }

private:
    std::unique_ptr<IFile> open(const std::string& path, int flags, bool mustBeFile) {
        int fd = ::open(path.c_str(), flags | O_CLOEXEC, 0644);
        if (fd < 0) {
            fail();
            return nullptr;
        }
        struct stat st;
        if (mustBeFile && (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode))) {
            lastError_ = EISDIR;
            ::close(fd);
            return nullptr;
        }
        return std::make_unique<PosixFile>(fd);
    }
    bool fail() {
        lastError_ = errno;
        return false;
    }
    static void syncFolderOf(const std::string& path) {
        auto slash = path.find_last_of('/');
        std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
        int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd >= 0) {
            ::fsync(fd);
            ::close(fd);
        }
    }
    int lastError_ = 0;
};

}  // namespace

IFileSystem& systemFileSystem() {
    static PosixFileSystem fs;
    return fs;
}

std::unique_ptr<IFileSystem> newSystemFileSystem() { return std::make_unique<PosixFileSystem>(); }
#endif
