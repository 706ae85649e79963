#include "core/MemoryFileSystem.h"

#include <algorithm>
#include <cstring>

#include "core/Exceptions.h"

namespace {

class MemoryFile : public IFile {
public:
    explicit MemoryFile(std::shared_ptr<std::string> content) : content_(std::move(content)) {}
    std::size_t read(void* buffer, std::size_t n) override {
        check();
        if (position_ >= content_->size()) return 0;
        std::size_t take = std::min(n, content_->size() - position_);
        std::memcpy(buffer, content_->data() + position_, take);
        position_ += take;
        return take;
    }
    void write(const void* buffer, std::size_t n) override {
        check();
        if (content_->size() < position_ + n) content_->resize(position_ + n);
        std::memcpy(&(*content_)[position_], buffer, n);
        position_ += n;
    }
    void seek(std::int64_t position) override {
        check();
        if (position < 0) throw CFileException("Negative seek");
        position_ = static_cast<std::size_t>(position);
    }
    std::int64_t size() override {
        check();
        return static_cast<std::int64_t>(content_->size());
    }
    void flush() override { check(); }
    void close() override { closed_ = true; }

private:
    void check() const {
        if (closed_) throw CFileException("File is closed");
    }
    std::shared_ptr<std::string> content_;
    std::size_t position_ = 0;
    bool closed_ = false;
};

std::string folderOf(const std::string& path) {
    auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace

void MemoryFileSystem::put(const std::string& path, const std::string& content) {
    files[path] = std::make_shared<std::string>(content);
}

const std::string* MemoryFileSystem::get(const std::string& path) const {
    auto it = files.find(path);
    return it == files.end() ? nullptr : it->second.get();
}

bool MemoryFileSystem::fail(const std::string& text) {
    lastError_ = text;
    return false;
}

bool MemoryFileSystem::folderExists(const std::string& path) const {
    std::string folder = folderOf(path);
    return folder.empty() || folders.count(folder) > 0;
}

std::unique_ptr<IFile> MemoryFileSystem::openRead(const std::string& path) {
    if (folders.count(path)) return fail("Is a folder"), nullptr;
    auto it = files.find(path);
    if (it == files.end()) return fail("No such file"), nullptr;
    return std::make_unique<MemoryFile>(it->second);
}

std::unique_ptr<IFile> MemoryFileSystem::createWrite(const std::string& path) {
    if (path.empty() || !folderExists(path)) return fail("No such folder"), nullptr;
    if (folders.count(path)) return fail("Is a folder"), nullptr;
    if (readOnly.count(path)) return fail("Access denied"), nullptr;
    auto content = std::make_shared<std::string>();
    files[path] = content;
    return std::make_unique<MemoryFile>(content);
}

std::unique_ptr<IFile> MemoryFileSystem::openWrite(const std::string& path) {
    if (readOnly.count(path)) return fail("Access denied"), nullptr;
    auto it = files.find(path);
    if (it == files.end()) return fail("No such file"), nullptr;
    return std::make_unique<MemoryFile>(it->second);
}

bool MemoryFileSystem::replaceFile(const std::string& from, const std::string& to) {
    auto it = files.find(from);
    if (it == files.end()) return fail("No such file");
    if (folders.count(to)) return fail("Is a folder");
    if (readOnly.count(to)) return fail("Access denied");
    if (!folderExists(to)) return fail("No such folder");
    renameEntry(from, to);
    return true;
}

void MemoryFileSystem::renameEntry(const std::string& from, const std::string& to) {
    auto it = files.find(from);
    auto content = it->second;
    files.erase(it);
    files[to] = content;
    if (readOnly.erase(from)) readOnly.insert(to);
}

bool MemoryFileSystem::moveFile(const std::string& from, const std::string& to) {
    if (exists(to)) return fail("File exists");
    auto it = files.find(from);
    if (it == files.end()) return fail("No such file");
    if (!folderExists(to)) return fail("No such folder");
    renameEntry(from, to);
    return true;
}

bool MemoryFileSystem::removeFile(const std::string& path) {
    if (readOnly.count(path)) return fail("Access denied");
    return files.erase(path) > 0 || fail("No such file");
}

bool MemoryFileSystem::exists(const std::string& path) { return files.count(path) > 0 || folders.count(path) > 0; }
