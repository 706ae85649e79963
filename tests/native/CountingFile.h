// A read-only file in memory that counts the bytes read from it (seeking is free), for checking
// that a reader takes only what it needs.
#pragma once
#include <algorithm>
#include <cstring>
#include <string>

#include "core/Exceptions.h"
#include "core/FileSystem.h"

class CountingFile : public IFile {
public:
    explicit CountingFile(const std::string& content) : content_(content) {}
    std::size_t read(void* buffer, std::size_t n) override {
        if (position_ >= content_.size()) return 0;
        const std::size_t take = std::min(n, content_.size() - position_);
        std::memcpy(buffer, content_.data() + position_, take);
        position_ += take;
        bytesRead += take;
        return take;
    }
    void write(const void*, std::size_t) override { throw CFileException("read-only"); }
    void seek(std::int64_t position) override {
        if (position < 0) throw CFileException("Negative seek");
        position_ = static_cast<std::size_t>(position);
    }
    std::int64_t size() override { return static_cast<std::int64_t>(content_.size()); }
    void flush() override {}
    void close() override {}

    std::size_t bytesRead = 0;

private:
    const std::string& content_;
    std::size_t position_ = 0;
};
