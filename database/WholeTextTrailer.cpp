#include "database/WholeTextTrailer.h"

#include <cstring>
#include <string>
#include <unordered_map>
#include <vector>

#include "database/Archive.h"

namespace {

// The numbers of a record no play has: a negative length, a played time of 40 years.
constexpr std::uint8_t kMark[12] = {'P', 'T', 'L', 'Y', '-', 'W', 'H', 'O', 'L', 'E', 0xFF, 0xFF};
// The path's length prefix: the 32-bit form, claiming 0xFFFFFFFF bytes.
constexpr std::uint8_t kPathClaim[7] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
constexpr std::uint8_t kEnd[8] = {'P', 'T', 'L', 'Y', 'E', 'N', 'D', '1'};
constexpr std::uint32_t kVersion = 1;
constexpr std::uint8_t kHasTexts = 1, kHasFirstStart = 2;

struct Entry {
    std::uint32_t index;
    std::uint8_t what;
    std::string texts;
    TimeValue firstStart;
};

}  // namespace

bool atWholeTextTrailer(CArchive& archive) {
    const std::uint8_t* b = archive.Peek(sizeof kMark + sizeof kPathClaim);
    return b && std::memcmp(b, kMark, sizeof kMark) == 0 && std::memcmp(b + sizeof kMark, kPathClaim, sizeof kPathClaim) == 0;
}

void writeWholeTextTrailer(CArchive& archive, const RecordArray& records, const std::vector<std::uint32_t>& entries) {
    if (entries.empty()) return;  // nothing beyond the bodies: the file is what it always was
    archive.Write(kMark, sizeof kMark);
    archive.Write(kPathClaim, sizeof kPathClaim);
    archive.WriteUInt32(kVersion);
    archive.WriteUInt32(static_cast<std::uint32_t>(records.size()));
    archive.WriteUInt32(static_cast<std::uint32_t>(entries.size()));
    const auto playAt = [&](std::size_t turn) -> const CTrackRecord& { return *records[entries[turn]]; };
    for (std::size_t turn = 0; turn < entries.size(); ++turn) {
        fetchPlaysAhead(turn, entries.size(), playAt);
        const std::uint32_t i = entries[turn];
        const CTrackRecord& r = *records[i];
        const std::uint8_t what = (r.HasWholeTexts() ? kHasTexts : 0) | (r.firstStart != 0 ? kHasFirstStart : 0);
        archive.WriteUInt32(i);
        archive.Write(&what, 1);
        if (what & kHasTexts) {
            const std::string& texts = r.PackedTexts();
            archive.WriteUInt32(static_cast<std::uint32_t>(texts.size()));
            archive.Write(texts.data(), texts.size());
        }
        if (what & kHasFirstStart) archive.WriteInt32(r.firstStart);
    }
    archive.Write(kEnd, sizeof kEnd);
}

bool readWholeTextTrailer(CArchive& archive, RecordArray& records) {
    std::vector<Entry> entries;
    try {
        std::uint8_t head[sizeof kMark + sizeof kPathClaim];
        if (archive.Read(head, sizeof head) != sizeof head) return false;
        if (archive.ReadUInt32() != kVersion) return false;  // a later layout: its texts are not ours to guess
        if (archive.ReadUInt32() != records.size()) return false;
        const std::uint32_t count = archive.ReadUInt32();
        // Every entry takes at least five bytes: a count beyond the file is damage, not a size.
        if (count > records.size() || count > archive.Remaining() / 5) return false;
        entries.reserve(count);
        std::int64_t last = -1;
        for (std::uint32_t n = 0; n < count; ++n) {
            Entry e{archive.ReadUInt32(), 0, std::string(), 0};
            if (static_cast<std::int64_t>(e.index) <= last || e.index >= records.size()) return false;
            last = e.index;
            if (archive.Read(&e.what, 1) != 1 || e.what == 0 || (e.what & ~(kHasTexts | kHasFirstStart))) return false;
            if (e.what & kHasTexts) {
                const std::uint32_t size = archive.ReadUInt32();
                if (size == 0 || size > archive.Remaining()) return false;
                e.texts.resize(size);
                if (archive.Read(&e.texts[0], size) != size) return false;
            }
            if (e.what & kHasFirstStart) e.firstStart = archive.ReadInt32();
            entries.push_back(std::move(e));
        }
        std::uint8_t end[sizeof kEnd];
        if (archive.Read(end, sizeof end) != sizeof end || std::memcmp(end, kEnd, sizeof kEnd) != 0) return false;
        if (!archive.AtEnd()) return false;
    } catch (const CArchiveEndOfFile&) {
        return false;
    }
    // Checked whole before any record takes a text from it.
    for (const Entry& e : entries)
        if ((e.what & kHasTexts) && !arePackedTexts(e.texts)) return false;
    for (Entry& e : entries) {
        CTrackRecord& r = *records[e.index];
        if (e.what & kHasTexts) r.AdoptPackedTexts(std::move(e.texts));
        if (e.what & kHasFirstStart) r.firstStart = e.firstStart;
    }
    return true;
}

void shareWholeTexts(RecordArray& records) {
    bool anyWhole = false, anyPlain = false;
    for (const auto& r : records) {
        (r->HasWholeTexts() ? anyWhole : anyPlain) = true;
        if (anyWhole && anyPlain) break;
    }
    if (!anyWhole || !anyPlain) return;
    auto keyOf = [](const CTrackRecord& r) {
        std::string key = r.path.str();
        key += '\0';
        for (char16_t c : r.widePath) {
            key += static_cast<char>(c & 0xFF);
            key += static_cast<char>(c >> 8);
        }
        key += '\0';
        key.append(reinterpret_cast<const char*>(r.tag.body().data()), CId3v1Tag::kBodySize);
        return key;
    };
    std::unordered_map<std::string, const CTrackRecord*> latest;
    for (const auto& r : records)
        if (r->HasWholeTexts()) latest[keyOf(*r)] = r.get();
    for (auto& r : records) {
        if (r->HasWholeTexts()) continue;
        auto found = latest.find(keyOf(*r));
        if (found != latest.end()) r->SetPackedTexts(found->second->PackedTexts());
    }
}
