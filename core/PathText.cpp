#include "core/PathText.h"

void CPathText::assign(std::string_view text) {
    const std::size_t n = text.size();
    // What no file system names; std::length_error would link a part of the library of its own.
    if (n >= UINT32_MAX) throw std::bad_alloc();
    if (n <= kInlineCapacity) {
        // The old block is freed only after the copy, which may come from it.
        char* old = onHeap() ? heap_ : nullptr;
        if (n != 0) std::memmove(inline_, text.data(), n);
        inline_[n] = '\0';
        size_ = static_cast<std::uint32_t>(n);
        ::operator delete(old);
        return;
    }
    // A new block even where the old one would do: the text may lie in it, and a play's path
    // seldom changes.
    char* block = static_cast<char*>(::operator new(n + 1));
    std::memcpy(block, text.data(), n);
    block[n] = '\0';
    release();
    heap_ = block;
    size_ = static_cast<std::uint32_t>(n);
}
