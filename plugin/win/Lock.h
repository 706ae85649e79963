// A lock for the little state the sending thread shares with its owner: a critical section (the
// C++ library's mutex would bring a threads library into the plug-in).
#pragma once
#include <windows.h>

#include "framework/Handles.h"

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

using CLockScope = PairedCallScope<CLock, &CLock::lock, &CLock::unlock>;
