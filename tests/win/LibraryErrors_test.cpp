// The standard library's reports of misuse, as the Windows binaries receive them: with the
// library's own text, and a size beyond a container's limit as the memory running out (the
// import's "no memory" message relies on it), from inline code and from the runtime alike.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <string>
#include <vector>

namespace {

TEST(LibraryErrors, EachReportArrivesAsAnExceptionWithTheLibrarysText) {
    const struct {
        const char* name;
        std::function<void()> misuse;
        bool outOfMemory;
        std::string text;
    } cases[] = {
        {"vector beyond its limit", [] { std::vector<int> v; v.reserve(v.max_size() + 1); }, true, "vector::reserve"},
        {"string beyond its limit (the runtime's code)",
         [] { std::string s; s.reserve(s.max_size() + 1); }, true, "basic_string::_M_create"},
        {"position past the end", [] { (void)std::string("abc").substr(7); }, false,
         "basic_string::substr: __pos (which is 7) > this->size() (which is 3)"},
        {"index past the end", [] { (void)std::vector<int>(2).at(12345); }, false,
         "vector::_M_range_check: __n (which is 12345) >= this->size() (which is 2)"},
        {"null text", [] { const char* volatile none = nullptr; std::string s(none); }, false,
         "basic_string: construction from null is not valid"},
    };
    for (const auto& c : cases) {
        try {
            c.misuse();
            ADD_FAILURE() << c.name << ": nothing thrown";
        } catch (const std::bad_alloc& e) {
            EXPECT_TRUE(c.outOfMemory) << c.name;
            EXPECT_EQ(e.what(), c.text) << c.name;
        } catch (const std::exception& e) {
            EXPECT_FALSE(c.outOfMemory) << c.name;
            EXPECT_EQ(e.what(), c.text) << c.name;
        }
    }
}

}  // namespace
