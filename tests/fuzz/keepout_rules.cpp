// The stored rules that keep plays out of the rankings, as any registry value may hold them: read,
// written back and read again they must stay the same rules, and testing a play against them
// must neither crash nor depend on anything but the rules and the play.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "database/PlayExclusion.h"
#include "database/TrackRecord.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view stored(reinterpret_cast<const char*>(data), size);
    const std::vector<ExclusionRule> rules = parseExclusionRules(stored);
    const std::string written = writeExclusionRules(rules);
    const std::vector<ExclusionRule> again = parseExclusionRules(written);
    check(writeExclusionRules(again) == written);
    for (const ExclusionRule& rule : again) check(!rule.text.empty());

    // The input's tail as a play's path and tag texts.
    const std::string text(stored.substr(size / 2));
    CTrackRecord play(text, 200, 0, 100);
    play.tag = CId3v1Tag(text, text, text, "", "", static_cast<std::uint8_t>(size));
    const ExclusionRules compiled(again);
    check(compiled.excludes(play) == compiled.excludes(play));
    return 0;
}
