// Writes the report as a text file of Windows: every "\n" written becomes "\r\n". Writes are
// buffered; a failing write is not reported (the report is written as far as it goes).
#pragma once
#include <memory>
#include <string>

#include "core/FileSystem.h"

class CReportWriter {
public:
    explicit CReportWriter(std::unique_ptr<IFile> file);
    ~CReportWriter();
    CReportWriter(const CReportWriter&) = delete;
    CReportWriter& operator=(const CReportWriter&) = delete;

    void write(const std::string& text);
    // Writes what is buffered and closes the file.
    void close();
    bool failed() const { return failed_; }

private:
    void flush();

    std::unique_ptr<IFile> file_;
    std::string buffer_;
    bool failed_ = false;
};
