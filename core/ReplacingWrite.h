// A file written whole beside its target and put in the target's place only once complete, so the
// target never holds half a file: the database save and the export write this way.
#pragma once
#include <memory>
#include <string>

#include "core/FileSystem.h"

class CReplacingWrite {
public:
    // Creates the new file beside `target` (named `newPath`, or the target's name with ".tmp"
    // when that is empty); file() is null when that failed (the reason: reason()).
    CReplacingWrite(IFileSystem& files, std::string target, std::string newPath = std::string());
    // A write never put in place leaves no new file behind.
    ~CReplacingWrite();
    CReplacingWrite(const CReplacingWrite&) = delete;
    CReplacingWrite& operator=(const CReplacingWrite&) = delete;

    IFile* file() const { return file_.get(); }
    // Closes the new file (throws CFileException when that fails, as a write would).
    void close();
    // Gives up: the new file is closed quietly and removed.
    void discard();
    // Puts the closed new file in the target's place, waiting for the disk unless `synced` is
    // false; false (the new file removed, the reason kept) when the target refused to go.
    bool replace(bool synced = true);
    const std::string& reason() const { return reason_; }

private:
    IFileSystem& files_;
    std::string target_, newPath_, reason_;
    std::unique_ptr<IFile> file_;
    bool placed_ = false;
};
