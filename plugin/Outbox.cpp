#include "plugin/Outbox.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "core/Exceptions.h"
#include "core/FileSystem.h"

namespace {

constexpr std::string_view kHeader = "PLAYTALLY OUTBOX 1\n";
constexpr char kWaiting = 'W';
constexpr char kRefused = 'R';

std::uint32_t crc32(std::string_view a, std::string_view b) {
    static const auto table = [] {
        std::array<std::uint32_t, 256> t{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::string_view part : {a, b})
        for (unsigned char byte : part) c = table[(c ^ byte) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

// "<kind> <crc, 8 hex digits> <id> <body>\n"; the checksum covers the kind, the id and the body.
// A refused listen's body is "<reason>\t<listen>". Listens and reasons hold no line break.
std::string makeLine(char kind, std::uint64_t id, std::string_view body) {
    std::string rest = std::to_string(id);
    rest += ' ';
    rest.append(body.data(), body.size());
    char crc[9];
    const std::uint32_t sum = crc32(std::string_view(&kind, 1), rest);
    for (int i = 0; i < 8; ++i) crc[i] = "0123456789abcdef"[(sum >> (28 - 4 * i)) & 0xF];
    crc[8] = 0;
    std::string line(1, kind);
    line += ' ';
    line.append(crc, 8);
    line += ' ';
    line += rest;
    line += '\n';
    return line;
}

bool parseLine(std::string_view line, OutboxContent& into) {
    if (line.size() < 12 || line[1] != ' ' || line[10] != ' ') return false;
    const char kind = line[0];
    if (kind != kWaiting && kind != kRefused) return false;
    std::uint32_t sum = 0;
    const auto crc = std::from_chars(line.data() + 2, line.data() + 10, sum, 16);
    if (crc.ec != std::errc() || crc.ptr != line.data() + 10) return false;
    const std::string_view rest = line.substr(11);
    if (crc32(line.substr(0, 1), rest) != sum) return false;
    std::uint64_t id = 0;
    const auto number = std::from_chars(rest.data(), rest.data() + rest.size(), id);
    if (number.ec != std::errc() || number.ptr == rest.data() || number.ptr == rest.data() + rest.size() ||
        *number.ptr != ' ')
        return false;
    const std::string_view body = rest.substr(static_cast<std::size_t>(number.ptr - rest.data()) + 1);
    if (kind == kWaiting) {
        into.waiting.push_back({id, std::string(body)});
        return true;
    }
    const std::size_t tab = body.find('\t');
    if (tab == std::string_view::npos) return false;
    into.refused.push_back({id, std::string(body.substr(tab + 1)), std::string(body.substr(0, tab))});
    return true;
}

// A reason fit for one line of the file.
std::string oneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    return text;
}

std::string readAll(IFile& file) {
    std::string bytes;
    const std::int64_t size = file.size();
    bytes.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
    bytes.resize(file.read(bytes.data(), bytes.size()));
    return bytes;
}

}  // namespace

OutboxContent parseOutbox(std::string_view bytes) {
    OutboxContent content;
    if (bytes.substr(0, kHeader.size()) != kHeader) {
        content.known = bytes.empty();
        return content;
    }
    std::size_t at = kHeader.size();
    while (at < bytes.size()) {
        const std::size_t end = bytes.find('\n', at);
        if (end == std::string_view::npos) {  // cut in the middle of its last line
            ++content.damagedLines;
            break;
        }
        if (!parseLine(bytes.substr(at, end - at), content)) ++content.damagedLines;
        at = end + 1;
    }
    return content;
}

COutbox::COutbox(IFileSystem& files, std::string path) : files_(files), path_(std::move(path)) {}

COutbox::LoadResult COutbox::load() {
    content_ = {};
    blocked_ = false;
    rewriteNeeded_ = true;
    std::string bytes;
    if (files_.exists(path_)) {
        bool read = false;
        if (auto file = files_.openRead(path_)) {
            try {
                bytes = readAll(*file);
                read = true;
            } catch (const CFileException& e) {
                lastError_ = e.what();
            }
        } else {
            lastError_ = files_.lastErrorText();
        }
        // A file that cannot be read is never written over: it goes aside first, or stays and
        // the outbox keeps its listens in memory only.
        if (!read) {
            blocked_ = !files_.replaceFile(path_, path_ + ".damaged");
            return LoadResult::damaged;
        }
    }
    content_ = parseOutbox(bytes);
    for (const auto& listen : content_.waiting) nextId_ = std::max(nextId_, listen.id + 1);
    for (const auto& listen : content_.refused) nextId_ = std::max(nextId_, listen.id + 1);
    const bool damaged = content_.damagedLines > 0 || !content_.known;
    if (damaged) files_.replaceFile(path_, path_ + ".damaged");
    rewriteNeeded_ = damaged || bytes.empty();  // an empty file lacks even its first line
    if (damaged) rewrite();
    if (damaged) return LoadResult::damaged;
    return content_.waiting.empty() && content_.refused.empty() ? LoadResult::empty : LoadResult::loaded;
}

bool COutbox::append(std::string listen) {
    for (char& c : listen)
        if (c == '\n' || c == '\r') c = ' ';  // JSON allows them only as white space
    content_.waiting.push_back({nextId_++, std::move(listen)});
    if (rewriteNeeded_ || !files_.exists(path_)) return rewrite();
    if (appendLine(makeLine(kWaiting, content_.waiting.back().id, content_.waiting.back().bytes))) {
        unflushed_ = true;
        return true;
    }
    rewriteNeeded_ = true;  // the file may end in a cut line: the next write replaces it whole
    return false;
}

bool COutbox::appendLine(const std::string& line) {
    try {
        auto file = files_.openWrite(path_);
        if (!file) {
            lastError_ = files_.lastErrorText();
            return false;
        }
        file->seek(file->size());
        file->write(line.data(), line.size());
        file->close();  // in the system's hands: the sending thread flushes it before any send
        lastError_.clear();
        return true;
    } catch (const CFileException& e) {
        lastError_ = e.what();
        return false;
    }
}

bool COutbox::removeFirst(std::size_t count) {
    if (count > content_.waiting.size()) count = content_.waiting.size();
    content_.waiting.erase(content_.waiting.begin(), content_.waiting.begin() + static_cast<std::ptrdiff_t>(count));
    return rewrite();
}

bool COutbox::refuse(std::uint64_t id, const std::string& reason) {
    for (auto it = content_.waiting.begin(); it != content_.waiting.end(); ++it) {
        if (it->id != id) continue;
        content_.refused.push_back({it->id, std::move(it->bytes), oneLine(reason)});
        content_.waiting.erase(it);
        return rewrite();
    }
    return false;
}

bool COutbox::clearRefused() {
    content_.refused.clear();
    return rewrite();
}

bool COutbox::rewrite() {
    rewriteNeeded_ = true;
    if (blocked_) return false;
    if (content_.waiting.empty() && content_.refused.empty() && !files_.exists(path_)) {
        rewriteNeeded_ = false;
        return true;
    }
    std::string bytes(kHeader);
    for (const auto& listen : content_.refused)
        bytes += makeLine(kRefused, listen.id, listen.reason + '\t' + listen.bytes);
    for (const auto& listen : content_.waiting) bytes += makeLine(kWaiting, listen.id, listen.bytes);
    const std::string fresh = path_ + ".new";
    try {
        auto file = files_.createWrite(fresh);
        if (!file) {
            lastError_ = files_.lastErrorText();
            return false;
        }
        file->write(bytes.data(), bytes.size());
        file->flush();
        file->close();
    } catch (const CFileException& e) {
        lastError_ = e.what();
        files_.removeFile(fresh);
        return false;
    }
    if (turn_) turn_->enter();
    const bool replaced = files_.replaceFile(fresh, path_);
    if (turn_) turn_->leave();
    if (!replaced) {
        lastError_ = files_.lastErrorText();
        files_.removeFile(fresh);
        return false;
    }
    lastError_.clear();
    rewriteNeeded_ = false;
    unflushed_ = false;  // the new file went to the disk whole
    return true;
}

bool flushOutboxFile(IFileSystem& files, const std::string& path, std::string& error) {
    try {
        auto file = files.openWrite(path);
        if (!file) {
            if (!files.exists(path)) return true;
            error = files.lastErrorText();
            return false;
        }
        file->flush();
        file->close();
        return true;
    } catch (const CFileException& e) {
        error = e.what();
        return false;
    }
}
