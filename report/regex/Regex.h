// A small regular-expression engine for finding and replacing template tags.
//
// Syntax: . any byte; ^ and $ the start and end of the subject (wherever they stand; newlines are
// ordinary bytes); [...] and [^...] sets with ranges; ( ) groups 1 to 9; | alternatives;
// * + ? greedy repetitions; \< and \> word start and end; \ makes any other byte literal.
// Errors are kept as texts in the object, never thrown.
#pragma once
#include <memory>
#include <string>

namespace regex {
struct Program;
}

class CRegex {
public:
    // No pattern: matching fails with "NULL regexp".
    CRegex();
    // Compiles `pattern`; on failure the error text is kept and matching finds nothing.
    explicit CRegex(const char* pattern);
    explicit CRegex(const std::string& pattern);
    ~CRegex();
    // Copies share the compiled pattern; a copy that matches first takes a pattern of its own.
    CRegex(const CRegex&);
    CRegex& operator=(const CRegex&);
    CRegex(CRegex&&) noexcept;
    CRegex& operator=(CRegex&&) noexcept;

    // Searches `subject` for the first position where the pattern matches. The group positions
    // point into `subject`, which must outlive the calls of subLength and substring.
    bool match(const char* subject);
    bool match(const std::string& subject) { return match(subject.c_str()); }
    // The groups would point into a temporary.
    bool match(std::string&&) = delete;

    // After a match: the number of groups 1, 2, ... that are set, up to the first unset one;
    // -1 after a failed match or without a pattern.
    int subCount();
    // Length and text of group i (0: the whole match; above 9 counts as 9). Unset: 0 and "".
    int subLength(int i);
    std::string substring(int i);

    // Whether the pattern compiled.
    bool isCompiled() const;
    // The text of the last error, "" when none.
    std::string errorText() const;

    // The text of an error code; unknown codes read "Unknown error".
    static std::string textOfError(int code);

private:
    bool groupSpan(int i, const char*& begin, const char*& end);

    std::shared_ptr<regex::Program> program_;
    int error_ = 0;
};
