#include "tools/host/PlaybackScript.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <sstream>

namespace {

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

// --- The commands' arguments ---
// Each parse function reads the arguments after the command's word (after its window, for a
// command that names one) and gives an error text when they are bad.
struct Args {
    const std::string& word;
    std::vector<std::string> list;
    const std::string& folder;
    const std::string& rest;  // the line after the word, as written (echo)
    std::size_t size() const { return list.size(); }
    const std::string& operator[](std::size_t i) const { return list[i]; }
};
using ParseFn = std::string (*)(ScriptCommand&, const Args&);

std::string usage(const Args& a, const std::string& rest) { return "usage: " + a.word + rest; }
std::string badSeconds(const std::string& text) { return "bad number of seconds \"" + text + "\""; }
bool controlId(const std::string& text, int& out) { return parseInt(text, 0, 0xFFFF, out); }

std::string parseNothing(ScriptCommand&, const Args& a) {
    return a.size() == 0 ? "" : "\"" + a.word + "\" takes no arguments";
}

std::string parseTrack(ScriptCommand& cmd, const Args& a) {
    if (a.size() != 2) return usage(a, " <path> <length in seconds>");
    if (a[0].empty()) return "empty path";
    if (!parseInt(a[1], -1, kMaxLength, cmd.number))
        return "bad track length \"" + a[1] + "\" (whole seconds, or -1 for unknown)";
    cmd.path = resolveScriptPath(a[0], a.folder);
    return "";
}

std::string parseWait(ScriptCommand& cmd, const Args& a) {
    if (a.size() != 1) return "usage: wait <seconds> | wait forever";
    if (a[0] == "forever") {
        cmd.op = ScriptOp::WaitForever;
        return "";
    }
    return parseSeconds(a[0], cmd.seconds) ? "" : badSeconds(a[0]);
}

std::string parseLengthDelay(ScriptCommand& cmd, const Args& a) {
    return a.size() == 1 && parseInt(a[0], 0, 1000000, cmd.number) ? "" : "usage: length-delay <number of -1 answers>";
}

std::string parseDefaultLength(ScriptCommand& cmd, const Args& a) {
    return a.size() == 1 && parseInt(a[0], -1, kMaxLength, cmd.number) ? "" : "usage: default-length <length in seconds>";
}

std::string parseConfig(ScriptCommand& cmd, const Args& a) {
    if (a.size() > 1) return "usage: config [<seconds before closing its windows>]";
    if (a.size() == 1) {
        if (!parseSeconds(a[0], cmd.seconds)) return badSeconds(a[0]);
        cmd.closeAfter = true;
    }
    return "";
}

std::string parseDismiss(ScriptCommand& cmd, const Args& a) {
    if (a.size() != 1) return "usage: dismiss <seconds> | dismiss off";
    if (a[0] == "off") return "";
    if (!parseSeconds(a[0], cmd.seconds)) return badSeconds(a[0]);
    cmd.closeAfter = true;
    return "";
}

std::string parseLogRequests(ScriptCommand& cmd, const Args& a) {
    if (a.size() != 1 || (a[0] != "all" && a[0] != "changes")) return "usage: log-requests all|changes";
    cmd.allRequests = a[0] == "all";
    return "";
}

std::string parseEcho(ScriptCommand& cmd, const Args& a) {
    const std::size_t from = a.rest.find_first_not_of(" \t");
    cmd.text = from == std::string::npos ? "" : a.rest.substr(from);
    while (!cmd.text.empty() && cmd.text.back() == '\r') cmd.text.pop_back();
    return "";
}

std::string parseWidePaths(ScriptCommand& cmd, const Args& a) {
    if (a.size() != 1 || (a[0] != "on" && a[0] != "off")) return "usage: wide-paths on|off";
    cmd.allRequests = a[0] == "on";
    return "";
}

std::string parseMetadata(ScriptCommand& cmd, const Args& a) {
    static const char* const kFields[] = {"artist", "title", "album", "year", "comment", "genre"};
    const bool field = a.size() == 3 && std::find(std::begin(kFields), std::end(kFields), a[1]) != std::end(kFields);
    if (!field || a[0].empty()) return "usage: metadata <path> artist|title|album|year|comment|genre <value>";
    cmd.path = resolveScriptPath(a[0], a.folder);
    cmd.word = a[1];
    cmd.text = a[2];
    return "";
}

std::string parseKillTimer(ScriptCommand& cmd, const Args& a) {
    return a.size() == 1 && parseInt(a[0], 0, 0x7FFFFFFF, cmd.number) ? "" : "usage: kill-timer <timer id>";
}

std::string parseTray(ScriptCommand& cmd, const Args& a) {
    if (a.size() < 1 || a.size() > 2) return "usage: tray left|right|double|move|<lParam> [<icon id>]";
    if (!lookUp(kMouseEvents, a[0], cmd.number) && !parseInt(a[0], 0, 0x7FFFFFFF, cmd.number))
        return "bad tray event \"" + a[0] + "\"";
    cmd.number2 = 1224;
    if (a.size() == 2 && !parseInt(a[1], 0, 0x7FFFFFFF, cmd.number2)) return "bad icon id \"" + a[1] + "\"";
    return "";
}

std::string parseMenu(ScriptCommand& cmd, const Args& a) {
    return a.size() == 1 && (a[0] == "none" || parseInt(a[0], 1, 0xFFFF, cmd.number)) ? "" : "usage: menu <command id>|none";
}

std::string parseBackground(ScriptCommand& cmd, const Args& a) {
    cmd.seconds = 10;
    if (a.size() < 1 || a.size() > 2 || a[0].empty() || (a.size() == 2 && !parseSeconds(a[1], cmd.seconds)))
        return usage(a, std::string(cmd.op == ScriptOp::WaitLog ? " <text>" : " <file>") + " [<seconds>]");
    if (cmd.op == ScriptOp::WaitLog) cmd.text = a[0];
    else cmd.path = resolveScriptPath(a[0], a.folder);
    return "";
}

// The commands that name a window: the arguments after it.
std::string parseWindowOnly(ScriptCommand&, const Args& a) { return a.size() == 0 ? "" : usage(a, " <window>"); }

std::string parseWaitForWindow(ScriptCommand& cmd, const Args& a) {
    cmd.seconds = 10;
    return a.size() > 1 || (a.size() == 1 && !parseSeconds(a[0], cmd.seconds)) ? usage(a, " <window> [<seconds>]") : "";
}

std::string parseControl(ScriptCommand& cmd, const Args& a) {
    return a.size() == 1 && controlId(a[0], cmd.control) ? "" : usage(a, " <window> <control id>");
}

std::string parseControlText(ScriptCommand& cmd, const Args& a) {
    if (a.size() != 2 || !controlId(a[0], cmd.control))
        return usage(a, cmd.op == ScriptOp::Type ? " <window> <edit id> <text>" : " <window> <combo id> <index or text>");
    cmd.word = a[1];
    return "";
}

std::string parseKey(ScriptCommand& cmd, const Args& a) {
    if (a.size() != 2 || !controlId(a[0], cmd.control) ||
        (!lookUp(kKeys, a[1], cmd.number) && !parseInt(a[1], 1, 0xFE, cmd.number)))
        return "usage: key <window> <control id> delete|enter|escape|tab|space|up|down|<virtual key>";
    return "";
}

std::string parseDate(ScriptCommand& cmd, const Args& a) {
    if (a.size() != 2 || !controlId(a[0], cmd.control) || !isDate(a[1])) return "usage: date <window> <picker id> <yyyy-mm-dd>";
    cmd.word = a[1];
    return "";
}

std::string parseListItem(ScriptCommand& cmd, const Args& a) {
    const bool row = cmd.op == ScriptOp::Row;
    const std::string action = a.size() == 3 ? a[2] : std::string();
    const bool known = row ? (action == "click" || action == "double" || action == "right")
                           : (action == "click" || action == "hover");
    if (a.size() != 3 || !controlId(a[0], cmd.control) || !parseInt(a[1], 0, 0x7FFFFFFF, cmd.number2) || !known)
        return usage(a, std::string(" <window> <list id> <") + (row ? "row> click|double|right" : "column> click|hover"));
    cmd.word = action;
    return "";
}

// resize: the new width and height; drag: how far the mouse moves.
std::string parseSize(ScriptCommand& cmd, const Args& a) {
    const bool resize = cmd.op == ScriptOp::Resize;
    const long min = resize ? 0 : -30000;
    if (a.size() != 2 || !parseInt(a[0], min, 30000, cmd.number) || !parseInt(a[1], min, 30000, cmd.number2))
        return usage(a, resize ? " <window> <width> <height>" : " <window> <dx> <dy>");
    return "";
}

std::string parseScreenshot(ScriptCommand& cmd, const Args& a) {
    if (a.size() != 1 || a[0].empty()) return "usage: screenshot <window> <file.png>";
    cmd.path = resolveScriptPath(a[0], a.folder);
    return "";
}

// --- The parser's view of the command list ---
enum class Needs { Setting, Plugins, Window };

struct CommandSyntax {
    const char* word;
    ScriptOp op;
    Needs needs;
    ParseFn parse;
};

const CommandSyntax kCommands[] = {
#define STANDIN_SCRIPT_SYNTAX(word, op, needs, parse, ready, run) {word, ScriptOp::op, Needs::needs, &parse},
    STANDIN_SCRIPT_COMMANDS(STANDIN_SCRIPT_SYNTAX)
#undef STANDIN_SCRIPT_SYNTAX
};

const CommandSyntax* syntaxOf(ScriptOp op) {
    for (const CommandSyntax& c : kCommands)
        if (c.op == op) return &c;
    return nullptr;
}

}  // namespace

bool isScriptSetting(ScriptOp op) {
    const CommandSyntax* c = syntaxOf(op);
    return c && c->needs == Needs::Setting;
}

const char* scriptOpName(ScriptOp op) {
    const CommandSyntax* c = syntaxOf(op);
    return c ? c->word : "?";
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
        const std::size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        if (!tokenize(line, tokens, tokenError)) return fail(tokenError);

        const std::string& word = tokens[0];
        const CommandSyntax* syntax = nullptr;
        for (const CommandSyntax& c : kCommands)
            if (!syntax && word == c.word) syntax = &c;
        if (!syntax) return fail("unknown command \"" + word + "\"");
        ScriptCommand cmd;
        cmd.line = lineNo;
        cmd.op = syntax->op;
        std::size_t from = 1;
        if (syntax->needs == Needs::Window) {
            if (tokens.size() < 2 || tokens[1].empty() || tokens[1] == "*")
                return fail("usage: " + word + ": a window caption first");
            cmd.window = tokens[1];
            if (cmd.window.back() == '*') {
                cmd.window.pop_back();
                cmd.prefix = true;
            }
            from = 2;
        }
        const std::string rest = line.substr(first + word.size());
        const Args args{word, std::vector<std::string>(tokens.begin() + std::ptrdiff_t(from), tokens.end()), folder, rest};
        if (std::string bad = syntax->parse(cmd, args); !bad.empty()) return fail(bad);
        result.commands.push_back(cmd);
    }
    return result;
}
