// A file system held in memory, for tests and the fuzzer: files are byte strings under their
// path; folders, read-only files and missing folders are modelled as far as the database needs.
#pragma once
#include <map>
#include <memory>
#include <set>
#include <string>

#include "core/FileSystem.h"

class MemoryFileSystem : public IFileSystem {
public:
    // The contents, by path. Open files share them, so a write shows at once.
    std::map<std::string, std::shared_ptr<std::string>> files;
    // Existing folders. A path whose folder part (before the last '/' or '\') is not "" and not
    // listed here cannot be created.
    std::set<std::string> folders;
    // Files that cannot be opened for writing, replaced or removed (they may be renamed).
    std::set<std::string> readOnly;

    void put(const std::string& path, const std::string& content);
    // The content of a file, or null when there is none.
    const std::string* get(const std::string& path) const;

    std::unique_ptr<IFile> openRead(const std::string& path) override;
    // Wide names are kept under their UTF-8 form.
    std::unique_ptr<IFile> openReadWide(const std::u16string& path) override { return openRead(utf16ToUtf8(path)); }
    std::unique_ptr<IFile> createWrite(const std::string& path) override;
    std::unique_ptr<IFile> openWrite(const std::string& path) override;
    bool replaceFile(const std::string& from, const std::string& to) override;
    bool moveFile(const std::string& from, const std::string& to) override;
    bool removeFile(const std::string& path) override;
    bool exists(const std::string& path) override;
    bool existsWide(const std::u16string& path) override { return exists(utf16ToUtf8(path)); }
    bool isFolder(const std::string& path) override { return folders.count(path) > 0; }
    std::string lastErrorText() override { return lastError_; }

private:
    bool fail(const std::string& text);
    bool folderExists(const std::string& path) const;
    // Moves the entry `from` (which exists) to `to`, with its read-only mark.
    void renameEntry(const std::string& from, const std::string& to);
    std::string lastError_;
};
