// A file's path as a play keeps it: its bytes inside the object itself, so that a play costs one
// allocation and not two; only a path longer than nearly any a music library holds goes to the
// heap. A plain value: a copy owns all of its bytes (a copy handed to another thread shares none).
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

class CPathText {
public:
    // The object is 128 bytes on both builds (two cache lines of a play); the bytes held in place
    // are what that leaves beside the length, the terminating zero not counted: 119 on x86_64, 123
    // on i686. A path of a library laid out as "<drive>\<folders>\<artist>\<album>\<title>.mp3"
    // is 60 to 100 bytes; longer ones, up to the 259 of MAX_PATH and beyond, live on the heap.
    static constexpr std::size_t kInlineCapacity = 128 - alignof(char*) - 1;

    CPathText() noexcept { inline_[0] = '\0'; }
    // A null text is the empty one.
    explicit CPathText(const char* text) { assign(text); }
    explicit CPathText(std::string_view text) { assign(text); }
    CPathText(const CPathText& other) { assign(other.view()); }
    CPathText(CPathText&& other) noexcept { take(other); }
    ~CPathText() { release(); }
    CPathText& operator=(const CPathText& other) {
        if (this != &other) assign(other.view());
        return *this;
    }
    CPathText& operator=(CPathText&& other) noexcept {
        if (this != &other) {
            release();
            take(other);
        }
        return *this;
    }
    CPathText& operator=(std::string_view text) {
        assign(text);
        return *this;
    }
    CPathText& operator=(const std::string& text) { return *this = std::string_view(text); }
    CPathText& operator=(const char* text) {
        assign(text);
        return *this;
    }

    // The text may lie in this very object (a part of its own view).
    void assign(std::string_view text);
    void assign(const char* text) { assign(text ? std::string_view(text) : std::string_view()); }

    const char* c_str() const noexcept { return onHeap() ? heap_ : inline_; }
    const char* data() const noexcept { return c_str(); }
    std::size_t size() const noexcept { return size_; }
    std::size_t length() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    std::string_view view() const noexcept { return {c_str(), size_}; }
    operator std::string_view() const noexcept { return view(); }
    // A copy as a string, for the callers that want one (made on purpose: it allocates).
    std::string str() const { return std::string(c_str(), size_); }
    // Whether the bytes are on the heap (longer than kInlineCapacity).
    bool onHeap() const noexcept { return size_ > kInlineCapacity; }

    friend bool operator==(const CPathText& a, const CPathText& b) noexcept { return a.view() == b.view(); }
    friend bool operator==(const CPathText& a, std::string_view b) noexcept { return a.view() == b; }
    friend bool operator==(std::string_view a, const CPathText& b) noexcept { return a == b.view(); }
    friend bool operator!=(const CPathText& a, const CPathText& b) noexcept { return !(a == b); }
    friend bool operator!=(const CPathText& a, std::string_view b) noexcept { return !(a == b); }
    friend bool operator!=(std::string_view a, const CPathText& b) noexcept { return !(a == b); }
    friend bool operator<(const CPathText& a, const CPathText& b) noexcept { return a.view() < b.view(); }
    // Writes the bytes to any stream that takes a string_view (test failure messages, logs),
    // without tying this header to <ostream>.
    template <class Stream>
    friend auto operator<<(Stream& out, const CPathText& p) -> decltype(out << std::string_view()) {
        return out << p.view();
    }

private:
    static constexpr std::size_t kInlineBytes = kInlineCapacity + 1;
    void release() noexcept {
        if (onHeap()) ::operator delete(heap_);
    }
    // Takes the bytes of `other` (this one's own already released) and leaves it empty.
    void take(CPathText& other) noexcept {
        if (other.onHeap())
            heap_ = other.heap_;
        else
            std::memcpy(inline_, other.inline_, other.size_ + 1);
        size_ = other.size_;
        other.size_ = 0;
        other.inline_[0] = '\0';
    }

    // Which member is in use follows from size_: inline_ (zero-terminated) up to kInlineCapacity
    // bytes, heap_ (a block of size_ + 1 bytes, zero-terminated) beyond.
    // The length first: a short path is read from the object's first cache line alone.
    std::uint32_t size_ = 0;
    union {
        char inline_[kInlineBytes];
        char* heap_;
    };
};

static_assert(sizeof(CPathText) == 128, "the inline bytes fill the object to 128 bytes");
