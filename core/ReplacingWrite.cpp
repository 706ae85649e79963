#include "core/ReplacingWrite.h"

namespace {
const char kNewFileSuffix[] = ".tmp";
}  // namespace

CReplacingWrite::CReplacingWrite(IFileSystem& files, std::string target, std::string newPath)
    : files_(files), target_(std::move(target)), newPath_(newPath.empty() ? target_ + kNewFileSuffix : std::move(newPath)) {
    file_ = files_.createWrite(newPath_);
    if (file_) return;
    reason_ = files_.lastErrorText();
    placed_ = true;  // nothing was made that could be left behind
}

CReplacingWrite::~CReplacingWrite() {
    if (!placed_) discard();
}

void CReplacingWrite::close() {
    if (!file_) return;
    file_->close();
    file_.reset();
}

void CReplacingWrite::discard() {
    if (placed_) return;
    if (file_) {
        try {
            file_->close();
        } catch (...) {
        }
        file_.reset();
    }
    files_.removeFile(newPath_);
    placed_ = true;  // nothing left to clean up
}

bool CReplacingWrite::replace(bool synced) {
    if (placed_) return false;
    const bool replaced = synced ? files_.replaceFile(newPath_, target_) : files_.replaceFileUnsynced(newPath_, target_);
    if (!replaced) {
        reason_ = files_.lastErrorText();
        files_.removeFile(newPath_);
    }
    placed_ = true;
    return replaced;
}
