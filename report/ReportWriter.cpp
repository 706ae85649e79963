#include "report/ReportWriter.h"

#include "core/Exceptions.h"

namespace {
constexpr std::size_t kFlushSize = 64 * 1024;
}

CReportWriter::CReportWriter(std::unique_ptr<IFile> file) : file_(std::move(file)) { buffer_.reserve(kFlushSize + 1024); }

CReportWriter::~CReportWriter() {
    try {
        close();
    } catch (...) {
    }
}

void CReportWriter::write(const std::string& text) {
    std::size_t from = 0;
    for (;;) {
        std::size_t lineBreak = text.find('\n', from);
        if (lineBreak == std::string::npos) {
            buffer_.append(text, from, std::string::npos);
            break;
        }
        buffer_.append(text, from, lineBreak - from);
        buffer_ += "\r\n";
        from = lineBreak + 1;
    }
    if (buffer_.size() >= kFlushSize) flush();
}

void CReportWriter::flush() {
    if (!file_ || failed_ || buffer_.empty()) {
        buffer_.clear();
        return;
    }
    try {
        file_->write(buffer_.data(), buffer_.size());
    } catch (const CException&) {
        failed_ = true;  // the disk is full or gone: stop writing, say nothing
    }
    buffer_.clear();
}

void CReportWriter::close() {
    if (!file_) return;
    flush();
    try {
        file_->close();
    } catch (const CException&) {
        failed_ = true;
    }
    file_.reset();
}
