#include "report/regex/Regex.h"

#include "report/regex/RegexProgram.h"

namespace regex {

const char* errorText(int code) {
    switch (code) {
    case kNoError: return "";
    case 1: return "NULL argument to regexec";
    case 2: return "corrupted regexp";
    case 3: return "regexp corruption";
    case 4: return "corrupted pointers";
    case 5: return "internal error: bad call of regrepeat";
    case 6: return "corrupted opcode";
    case 7: return "NULL parm to regsub";
    case 8: return "damaged regexp fed to regsub";
    case 9: return "damaged match string";
    case 10: return "NULL argument to regcomp";
    case 11: return "regexp too big";
    case 12: return "too many ()";
    case 13: return "unterminated ()";
    case 14: return "unmatched ()";
    case 15: return "internal error: junk on end";
    case 16: return "*+ operand could be empty";
    case 17: return "nested *?+";
    case 18: return "invalid [] range";
    case 19: return "unmatched []";
    case 20: return "internal error: \\0|) unexpected";
    case 21: return "?+* follows nothing";
    case 22: return "trailing \\";
    case 23: return "internal error: strcspn 0";
    case 24: return "NULL regexp";
    default: return "Unknown error";
    }
}

}  // namespace regex

CRegex::CRegex() = default;

CRegex::CRegex(const char* pattern) : program_(std::make_shared<regex::Program>(regex::compile(pattern))) {}

CRegex::CRegex(const std::string& pattern) : CRegex(pattern.c_str()) {}

CRegex::~CRegex() = default;
CRegex::CRegex(const CRegex&) = default;
CRegex& CRegex::operator=(const CRegex&) = default;
CRegex::CRegex(CRegex&&) noexcept = default;
CRegex& CRegex::operator=(CRegex&&) noexcept = default;

bool CRegex::match(const char* subject) {
    error_ = regex::kNoError;
    if (!program_) {
        error_ = regex::kNoProgram;
        return false;
    }
    // A pattern that failed to compile keeps its error and never matches.
    if (program_->code.empty() && program_->error != regex::kNoError) return false;
    // Matching writes positions into the program: a shared one is copied first.
    if (program_.use_count() > 1) program_ = std::make_shared<regex::Program>(*program_);
    return regex::execute(*program_, subject);
}

int CRegex::subCount() {
    if (!program_) {
        error_ = regex::kNoProgram;
        return -1;
    }
    return program_->groupCount;
}

bool CRegex::groupSpan(int i, const char*& begin, const char*& end) {
    if (!program_) {
        error_ = regex::kNoProgram;
        return false;
    }
    if (i < 0) return false;
    if (i >= regex::kGroupSlots) i = regex::kGroupSlots - 1;
    const regex::Program& program = *program_;
    if (program.subject == nullptr || program.start[i] < 0 || program.end[i] < program.start[i]) return false;
    begin = program.subject + program.start[i];
    end = program.subject + program.end[i];
    return true;
}

int CRegex::subLength(int i) {
    const char* begin;
    const char* end;
    return groupSpan(i, begin, end) ? static_cast<int>(end - begin) : 0;
}

std::string CRegex::substring(int i) {
    const char* begin;
    const char* end;
    return groupSpan(i, begin, end) ? std::string(begin, end) : std::string();
}

bool CRegex::isCompiled() const { return program_ && !program_->code.empty(); }

std::string CRegex::errorText() const {
    if (error_ != regex::kNoError) return regex::errorText(error_);
    if (program_) return regex::errorText(program_->error);
    return "";
}

std::string CRegex::textOfError(int code) { return regex::errorText(code); }
