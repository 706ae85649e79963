// RAII holders for the Windows handles the plug-in creates: GDI objects, icons, menus, registry
// keys, kernel handles, and device contexts borrowed from a window. Each holder owns one handle,
// is movable, not copyable, and releases the handle with the one call that fits its kind.
#pragma once
#include <windows.h>

#include <utility>

template <class Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::invalid(); }
    Handle release() {
        Handle h = handle_;
        handle_ = Traits::invalid();
        return h;
    }
    void reset(Handle handle = Traits::invalid()) {
        if (handle_ != Traits::invalid() && handle_ != handle) Traits::close(handle_);
        handle_ = handle;
    }
    // For APIs that return a handle through an out parameter: releases the old one first.
    Handle* put() {
        reset();
        return &handle_;
    }

private:
    Handle handle_ = Traits::invalid();
};

namespace handle_traits {
template <class H>
struct Gdi {
    using Handle = H;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { ::DeleteObject(h); }
};
struct Icon {
    using Handle = HICON;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { ::DestroyIcon(h); }
};
struct Menu {
    using Handle = HMENU;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { ::DestroyMenu(h); }
};
struct Key {
    using Handle = HKEY;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { ::RegCloseKey(h); }
};
struct Kernel {
    using Handle = HANDLE;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { ::CloseHandle(h); }
};
struct File {  // CreateFile reports failure as INVALID_HANDLE_VALUE, not null
    using Handle = HANDLE;
    static Handle invalid() { return INVALID_HANDLE_VALUE; }
    static void close(Handle h) { ::CloseHandle(h); }
};
struct Hook {
    using Handle = HHOOK;
    static Handle invalid() { return nullptr; }
    static void close(Handle h) { ::UnhookWindowsHookEx(h); }
};
}  // namespace handle_traits

using UniqueFont = UniqueHandle<handle_traits::Gdi<HFONT>>;
using UniqueBitmap = UniqueHandle<handle_traits::Gdi<HBITMAP>>;
using UniquePen = UniqueHandle<handle_traits::Gdi<HPEN>>;
using UniqueBrush = UniqueHandle<handle_traits::Gdi<HBRUSH>>;
using UniqueRegion = UniqueHandle<handle_traits::Gdi<HRGN>>;
using UniqueIcon = UniqueHandle<handle_traits::Icon>;  // not for shared icons from LoadIcon
using UniqueMenu = UniqueHandle<handle_traits::Menu>;
using UniqueKey = UniqueHandle<handle_traits::Key>;
using UniqueKernelHandle = UniqueHandle<handle_traits::Kernel>;
using UniqueFileHandle = UniqueHandle<handle_traits::File>;
using UniqueHook = UniqueHandle<handle_traits::Hook>;

// A window's device context for the lifetime of the object (GetDC / ReleaseDC).
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~WindowDC() {
        if (dc_) ::ReleaseDC(window_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// Calls `begin` on an object at once and `end` when the scope ends, however it ends: a lock held,
// a list's redrawing paused.
template <class T, void (T::*begin)(), void (T::*end)()>
class PairedCallScope {
public:
    explicit PairedCallScope(T& object) : object_(object) { (object_.*begin)(); }
    ~PairedCallScope() { (object_.*end)(); }
    PairedCallScope(const PairedCallScope&) = delete;
    PairedCallScope& operator=(const PairedCallScope&) = delete;

private:
    T& object_;
};

// Selects a GDI object into a device context and puts the previous one back on destruction.
class SelectObjectScope {
public:
    SelectObjectScope(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? ::SelectObject(dc, object) : nullptr) {}
    ~SelectObjectScope() {
        if (previous_) ::SelectObject(dc_, previous_);
    }
    SelectObjectScope(const SelectObjectScope&) = delete;
    SelectObjectScope& operator=(const SelectObjectScope&) = delete;

private:
    HDC dc_;
    HGDIOBJ previous_;
};
