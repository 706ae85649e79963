// How the standard library's own reports of misuse leave it in the Windows binaries.
//
// The containers and strings report a position past the end, a null text or a size beyond their
// limit through the functions below. The static runtime's versions throw the standard exception
// classes, whose message is kept in the library's older, reference-counted string: linking them
// brings that whole second string implementation into the plug-in (about 50 KB). Defined here,
// every report still arrives as an exception the boundaries catch, with the library's own text:
// a size beyond the limit as std::bad_alloc (a request for more than memory can hold, which is how
// the callers treat it), every other misuse as a std::exception. The reports that carry no text
// keep their standard classes.
#include <cstdarg>
#include <cstddef>
#include <exception>
#include <new>
#include <typeinfo>

namespace {

// The text of one report, kept in the exception itself so that copying it cannot fail.
class ReportText {
public:
    explicit ReportText(const char* text) { append(text ? text : ""); }

    // The library's formats use %s, %zu and %% only (its own formatter knows no more).
    ReportText(const char* format, va_list arguments) {
        for (const char* p = format; *p; ++p) {
            if (p[0] == '%' && p[1] == 's') {
                append(va_arg(arguments, const char*));
                ++p;
            } else if (p[0] == '%' && p[1] == 'z' && p[2] == 'u') {
                appendNumber(va_arg(arguments, std::size_t));
                p += 2;
            } else if (p[0] == '%' && p[1] == '%') {
                append("%");
                ++p;
            } else {
                const char one[2] = {*p, '\0'};
                append(one);
            }
        }
    }

    const char* c_str() const noexcept { return text_; }

private:
    void appendNumber(std::size_t value) {
        char digits[24];
        char* first = digits + sizeof digits;
        *--first = '\0';
        do *--first = static_cast<char>('0' + value % 10); while (value /= 10);
        append(first);
    }

    void append(const char* more) {
        while (*more && length_ + 1 < sizeof text_) text_[length_++] = *more++;
        text_[length_] = '\0';
    }

    char text_[256] = {};
    std::size_t length_ = 0;
};

class LibraryMisuse : public std::exception {
public:
    explicit LibraryMisuse(const ReportText& text) : text_(text) {}
    const char* what() const noexcept override { return text_.c_str(); }

private:
    ReportText text_;
};

class SizeBeyondLimit : public std::bad_alloc {
public:
    explicit SizeBeyondLimit(const char* text) : text_(text) {}
    const char* what() const noexcept override { return text_.c_str(); }

private:
    ReportText text_;
};

[[noreturn]] void misuse(const char* text) { throw LibraryMisuse(ReportText(text)); }

}  // namespace

namespace std {

void __throw_bad_exception() { throw bad_exception(); }
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }
void __throw_length_error(const char* text) { throw SizeBeyondLimit(text); }
void __throw_logic_error(const char* text) { misuse(text); }
void __throw_domain_error(const char* text) { misuse(text); }
void __throw_invalid_argument(const char* text) { misuse(text); }
void __throw_out_of_range(const char* text) { misuse(text); }
void __throw_runtime_error(const char* text) { misuse(text); }
void __throw_range_error(const char* text) { misuse(text); }
void __throw_overflow_error(const char* text) { misuse(text); }
void __throw_underflow_error(const char* text) { misuse(text); }

void __throw_out_of_range_fmt(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const ReportText text(format, arguments);
    va_end(arguments);
    throw LibraryMisuse(text);
}

}  // namespace std
