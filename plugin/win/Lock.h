// A lock for the little state the sending thread shares with its owner: a critical section (the
// C++ library's mutex would bring a threads library into the plug-in).
#pragma once
#include <windows.h>

class CLock {
public:
    CLock() { InitializeCriticalSection(&section_); }
    ~CLock() { DeleteCriticalSection(&section_); }
    CLock(const CLock&) = delete;
    CLock& operator=(const CLock&) = delete;
    void lock() { EnterCriticalSection(&section_); }
    void unlock() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

class CLockScope {
public:
    explicit CLockScope(CLock& lock) : lock_(lock) { lock_.lock(); }
    ~CLockScope() { lock_.unlock(); }
    CLockScope(const CLockScope&) = delete;
    CLockScope& operator=(const CLockScope&) = delete;

private:
    CLock& lock_;
};
