// Exceptions raised inside the database and the tag reader; the user-facing operations catch them.
#pragma once
#include <exception>
#include <string>

class CException : public std::exception {
public:
    const char* what() const noexcept override { return "CException"; }
};

// A failing file operation, with the system's description of the failure when it has one.
class CFileException : public CException {
public:
    explicit CFileException(std::string reason, int osError = 0) : reason_(std::move(reason)), osError_(osError) {}
    const char* what() const noexcept override { return reason_.c_str(); }
    const std::string& reason() const { return reason_; }
    int osError() const { return osError_; }

private:
    std::string reason_;
    int osError_;
};

// Data in a file that does not follow the layout (for example a damaged length prefix).
class CArchiveException : public CException {
public:
    explicit CArchiveException(std::string reason) : reason_(std::move(reason)) {}
    const char* what() const noexcept override { return reason_.c_str(); }

private:
    std::string reason_;
};

// Raised by the tag reader when seeking or reading the file fails; it carries no text of its own.
class CMyReadMp3TagException : public CException {
public:
    const char* what() const noexcept override { return "CMyReadMp3TagException"; }
};
