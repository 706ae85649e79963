#include "host/PlaybackScript.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <sstream>

namespace {

struct OpName {
    const char* name;
    ScriptOp op;
};
const OpName kOps[] = {
    {"play", ScriptOp::Play},       {"next", ScriptOp::Next},
    {"add", ScriptOp::Add},         {"replay", ScriptOp::Replay},
    {"pause", ScriptOp::Pause},     {"resume", ScriptOp::Resume},
    {"stop", ScriptOp::Stop},       {"wait", ScriptOp::Wait},
    {"length-delay", ScriptOp::LengthDelay}, {"default-length", ScriptOp::DefaultLength},
    {"config", ScriptOp::Config},   {"dismiss", ScriptOp::Dismiss},
    {"log-requests", ScriptOp::LogRequests},
    {"echo", ScriptOp::Echo},       {"check-hook", ScriptOp::CheckHook},
    {"kill-timer", ScriptOp::KillTimer}, {"quit", ScriptOp::Quit},
    {"wide-paths", ScriptOp::WidePaths}, {"metadata", ScriptOp::Metadata},
    {"tray", ScriptOp::Tray},       {"menu", ScriptOp::Menu},
    {"wait-window", ScriptOp::WaitWindow}, {"wait-gone", ScriptOp::WaitGone},
    {"click", ScriptOp::Click},     {"type", ScriptOp::Type},
    {"key", ScriptOp::Key},         {"pick", ScriptOp::Pick},
    {"date", ScriptOp::Date},       {"row", ScriptOp::Row},
    {"column", ScriptOp::Column},   {"hover", ScriptOp::Hover},
    {"resize", ScriptOp::Resize},   {"close", ScriptOp::Close},     {"drag", ScriptOp::Drag},
    {"log-window", ScriptOp::LogWindow}, {"screenshot", ScriptOp::Screenshot},
    {"wait-log", ScriptOp::WaitLog}, {"wait-change", ScriptOp::WaitChange},
};

// Words that stand for numbers: the tray icon's mouse events and the keys of "key".
struct NamedNumber {
    const char* name;
    int value;
};
const NamedNumber kMouseEvents[] = {{"move", 0x200}, {"left", 0x201}, {"double", 0x203}, {"right", 0x204}};
const NamedNumber kKeys[] = {{"delete", 0x2E}, {"enter", 0x0D}, {"escape", 0x1B}, {"tab", 0x09},
                             {"space", 0x20},  {"up", 0x26},    {"down", 0x28}};

template <std::size_t N>
bool lookUp(const NamedNumber (&table)[N], const std::string& word, int& out) {
    for (const NamedNumber& n : table)
        if (word == n.name) {
            out = n.value;
            return true;
        }
    return false;
}

bool isDate(const std::string& t) {
    if (t.size() != 10 || t[4] != '-' || t[7] != '-') return false;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!std::isdigit(static_cast<unsigned char>(t[i]))) return false;
    const int month = std::atoi(t.c_str() + 5), day = std::atoi(t.c_str() + 8);
    return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Splits a line into tokens; false (with `error`) on an unterminated quote.
bool tokenize(const std::string& line, std::vector<std::string>& tokens, std::string& error) {
    std::size_t i = 0;
    while (true) {
        while (i < line.size() && isBlank(line[i])) ++i;
        if (i >= line.size()) return true;
        std::string token;
        if (line[i] == '"') {
            std::size_t end = line.find('"', i + 1);
            if (end == std::string::npos) {
                error = "missing closing quote";
                return false;
            }
            token = line.substr(i + 1, end - i - 1);
            i = end + 1;
            if (i < line.size() && !isBlank(line[i])) {
                error = "a quoted token must be followed by a blank";
                return false;
            }
        } else {
            while (i < line.size() && !isBlank(line[i])) token += line[i++];
        }
        tokens.push_back(token);
    }
}

bool parseInt(const std::string& text, long min, long max, int& out) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < min || value > max) return false;
    out = static_cast<int>(value);
    return true;
}

bool parseSeconds(const std::string& text, double& out) {
    if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text[0])) || text[0] == '.')) return false;
    char* end = nullptr;
    double value = std::strtod(text.c_str(), &end);
    if (*end != '\0' || !std::isfinite(value) || value < 0 || value > 1e7) return false;
    out = value;
    return true;
}

constexpr long kMaxLength = 24L * 3600 * 365;  // a year of seconds is plenty for one track

// The arguments after the window of a driving command; an error text when they are bad.
std::string parseDriving(ScriptCommand& cmd, const std::vector<std::string>& tokens, const std::string& folder) {
    const std::size_t args = tokens.size() - 2;  // after the window
    const std::string& word = tokens[0];
    auto id = [&](std::size_t at, int& out) { return parseInt(tokens[at], 0, 0xFFFF, out); };
    switch (cmd.op) {
    case ScriptOp::WaitWindow:
    case ScriptOp::WaitGone:
        cmd.seconds = 10;
        if (args > 1 || (args == 1 && !parseSeconds(tokens[2], cmd.seconds)))
            return "usage: " + word + " <window> [<seconds>]";
        return "";
    case ScriptOp::Click:
    case ScriptOp::Hover:
        if (args != 1 || !id(2, cmd.control)) return "usage: " + word + " <window> <control id>";
        return "";
    case ScriptOp::Type:
    case ScriptOp::Pick:
        if (args != 2 || !id(2, cmd.control)) return "usage: " + word + (cmd.op == ScriptOp::Type ? " <window> <edit id> <text>" : " <window> <combo id> <index or text>");
        cmd.word = tokens[3];
        return "";
    case ScriptOp::Key:
        if (args != 2 || !id(2, cmd.control) ||
            (!lookUp(kKeys, tokens[3], cmd.number) && !parseInt(tokens[3], 1, 0xFE, cmd.number)))
            return "usage: key <window> <control id> delete|enter|escape|tab|space|up|down|<virtual key>";
        return "";
    case ScriptOp::Date:
        if (args != 2 || !id(2, cmd.control) || !isDate(tokens[3])) return "usage: date <window> <picker id> <yyyy-mm-dd>";
        cmd.word = tokens[3];
        return "";
    case ScriptOp::Row:
    case ScriptOp::Column: {
        const bool row = cmd.op == ScriptOp::Row;
        const char* actions = row ? "click|double|right" : "click|hover";
        const std::string& action = args == 3 ? tokens[4] : std::string();
        const bool known = row ? (action == "click" || action == "double" || action == "right")
                               : (action == "click" || action == "hover");
        if (args != 3 || !id(2, cmd.control) || !parseInt(tokens[3], 0, 0x7FFFFFFF, cmd.number2) || !known)
            return "usage: " + word + " <window> <list id> <" + (row ? "row" : "column") + "> " + actions;
        cmd.word = action;
        return "";
    }
    case ScriptOp::Resize:
        if (args != 2 || !parseInt(tokens[2], 0, 30000, cmd.number) || !parseInt(tokens[3], 0, 30000, cmd.number2))
            return "usage: resize <window> <width> <height>";
        return "";
    case ScriptOp::Drag:
        if (args != 2 || !parseInt(tokens[2], -30000, 30000, cmd.number) || !parseInt(tokens[3], -30000, 30000, cmd.number2))
            return "usage: drag <window> <dx> <dy>";
        return "";
    case ScriptOp::Screenshot:
        if (args != 1 || tokens[2].empty()) return "usage: screenshot <window> <file.png>";
        cmd.path = resolveScriptPath(tokens[2], folder);
        return "";
    default:  // close, log-window
        if (args != 0) return "usage: " + word + " <window>";
        return "";
    }
}

}  // namespace

bool isScriptSetting(ScriptOp op) {
    switch (op) {
    case ScriptOp::LengthDelay:
    case ScriptOp::DefaultLength:
    case ScriptOp::LogRequests:
    case ScriptOp::Dismiss:
    case ScriptOp::Echo:
    case ScriptOp::WidePaths:
    case ScriptOp::Metadata:
        return true;
    default:
        return false;
    }
}

const char* scriptOpName(ScriptOp op) {
    if (op == ScriptOp::WaitForever) return "wait";
    for (const OpName& o : kOps)
        if (o.op == op) return o.name;
    return "?";
}

std::string resolveScriptPath(const std::string& path, const std::string& folder) {
    const bool drive = path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':';
    const bool rooted = !path.empty() && (path[0] == '\\' || path[0] == '/');
    if (drive || rooted || folder.empty()) return path;
    const char last = folder.back();
    return folder + (last == '\\' || last == '/' ? "" : "\\") + path;
}

ParsedScript parsePlaybackScript(const std::string& text, const std::string& name, const std::string& folder) {
    ParsedScript result;
    std::istringstream in(text);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        auto fail = [&](const std::string& what) {
            result.error = name + ":" + std::to_string(lineNo) + ": " + what;
            result.commands.clear();
            return result;
        };
        std::vector<std::string> tokens;
        std::string tokenError;
        std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        if (!tokenize(line, tokens, tokenError)) return fail(tokenError);

        const std::string& word = tokens[0];
        ScriptCommand cmd;
        cmd.line = lineNo;
        bool known = false;
        for (const OpName& o : kOps)
            if (word == o.name) {
                cmd.op = o.op;
                known = true;
            }
        if (!known) return fail("unknown command \"" + word + "\"");
        const std::size_t args = tokens.size() - 1;
        auto wantArgs = [&](std::size_t n) { return args == n; };
        const std::string usage = std::string("usage: ");

        switch (cmd.op) {
        case ScriptOp::Play:
        case ScriptOp::Next:
        case ScriptOp::Add:
            if (!wantArgs(2)) return fail(usage + word + " <path> <length in seconds>");
            if (tokens[1].empty()) return fail("empty path");
            if (!parseInt(tokens[2], -1, kMaxLength, cmd.number))
                return fail("bad track length \"" + tokens[2] + "\" (whole seconds, or -1 for unknown)");
            cmd.path = resolveScriptPath(tokens[1], folder);
            break;
        case ScriptOp::Wait:
            if (!wantArgs(1)) return fail("usage: wait <seconds> | wait forever");
            if (tokens[1] == "forever") {
                cmd.op = ScriptOp::WaitForever;
            } else if (!parseSeconds(tokens[1], cmd.seconds)) {
                return fail("bad number of seconds \"" + tokens[1] + "\"");
            }
            break;
        case ScriptOp::LengthDelay:
            if (!wantArgs(1) || !parseInt(tokens[1], 0, 1000000, cmd.number))
                return fail("usage: length-delay <number of -1 answers>");
            break;
        case ScriptOp::DefaultLength:
            if (!wantArgs(1) || !parseInt(tokens[1], -1, kMaxLength, cmd.number))
                return fail("usage: default-length <length in seconds>");
            break;
        case ScriptOp::Config:
            if (args > 1) return fail("usage: config [<seconds before closing its windows>]");
            if (args == 1) {
                if (!parseSeconds(tokens[1], cmd.seconds)) return fail("bad number of seconds \"" + tokens[1] + "\"");
                cmd.closeAfter = true;
            }
            break;
        case ScriptOp::Dismiss:
            if (!wantArgs(1)) return fail("usage: dismiss <seconds> | dismiss off");
            if (tokens[1] != "off") {
                if (!parseSeconds(tokens[1], cmd.seconds)) return fail("bad number of seconds \"" + tokens[1] + "\"");
                cmd.closeAfter = true;
            }
            break;
        case ScriptOp::LogRequests:
            if (!wantArgs(1) || (tokens[1] != "all" && tokens[1] != "changes"))
                return fail("usage: log-requests all|changes");
            cmd.allRequests = tokens[1] == "all";
            break;
        case ScriptOp::WidePaths:
            if (!wantArgs(1) || (tokens[1] != "on" && tokens[1] != "off")) return fail("usage: wide-paths on|off");
            cmd.allRequests = tokens[1] == "on";
            break;
        case ScriptOp::Metadata: {
            static const char* const kFields[] = {"artist", "title", "album", "year", "comment", "genre"};
            const bool field = args == 3 && std::find(std::begin(kFields), std::end(kFields), tokens[2]) != std::end(kFields);
            if (!field || tokens[1].empty())
                return fail("usage: metadata <path> artist|title|album|year|comment|genre <value>");
            cmd.path = resolveScriptPath(tokens[1], folder);
            cmd.word = tokens[2];
            cmd.text = tokens[3];
            break;
        }
        case ScriptOp::KillTimer:
            if (!wantArgs(1) || !parseInt(tokens[1], 0, 0x7FFFFFFF, cmd.number))
                return fail("usage: kill-timer <timer id>");
            break;
        case ScriptOp::Tray:
            if (args < 1 || args > 2) return fail("usage: tray left|right|double|move|<lParam> [<icon id>]");
            if (!lookUp(kMouseEvents, tokens[1], cmd.number) && !parseInt(tokens[1], 0, 0x7FFFFFFF, cmd.number))
                return fail("bad tray event \"" + tokens[1] + "\"");
            cmd.number2 = 1224;
            if (args == 2 && !parseInt(tokens[2], 0, 0x7FFFFFFF, cmd.number2))
                return fail("bad icon id \"" + tokens[2] + "\"");
            break;
        case ScriptOp::Menu:
            if (!wantArgs(1) || (tokens[1] != "none" && !parseInt(tokens[1], 1, 0xFFFF, cmd.number)))
                return fail("usage: menu <command id>|none");
            break;
        // --- waiting for the plug-ins' background work ---
        case ScriptOp::WaitLog:
        case ScriptOp::WaitChange:
            cmd.seconds = 10;
            if (args < 1 || args > 2 || tokens[1].empty() || (args == 2 && !parseSeconds(tokens[2], cmd.seconds)))
                return fail(usage + word + (cmd.op == ScriptOp::WaitLog ? " <text>" : " <file>") + " [<seconds>]");
            if (cmd.op == ScriptOp::WaitLog) cmd.text = tokens[1];
            else cmd.path = resolveScriptPath(tokens[1], folder);
            break;
        // --- end of the waiting commands ---
        default:
            if (cmd.op >= ScriptOp::WaitWindow) {
                // Every other driving command names a window first.
                if (args < 1 || tokens[1].empty() || tokens[1] == "*") return fail(usage + word + ": a window caption first");
                cmd.window = tokens[1];
                if (cmd.window.back() == '*') {
                    cmd.window.pop_back();
                    cmd.prefix = true;
                }
                if (std::string bad = parseDriving(cmd, tokens, folder); !bad.empty()) return fail(bad);
                break;
            }
            if (!wantArgs(0)) return fail("\"" + word + "\" takes no arguments");
            break;
        case ScriptOp::Echo: {
            std::size_t at = line.find(word) + word.size();
            std::size_t from = line.find_first_not_of(" \t", at);
            cmd.text = from == std::string::npos ? "" : line.substr(from);
            while (!cmd.text.empty() && cmd.text.back() == '\r') cmd.text.pop_back();
            break;
        }
        }
        result.commands.push_back(cmd);
    }
    return result;
}
