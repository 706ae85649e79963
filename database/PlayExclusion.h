// The user's rules for plays kept out of the rankings: such plays stay stored (and in Log mode),
// but the ranked list, the report and the statistics leave them out, and they are never sent.
#pragma once
#include <string>
#include <string_view>
#include <vector>

class CTrackRecord;

// What a rule looks at. Path: the text occurs in the file's path. Genre and Artist: the tag's
// genre name or artist is the text, whole as the play keeps it. Letter case never matters.
enum class ExclusionField { Path, Genre, Artist };

struct ExclusionRule {
    ExclusionField field = ExclusionField::Path;
    std::string text;
    bool operator==(const ExclusionRule& other) const { return field == other.field && text == other.text; }
};

// Rules with their texts folded once, so that testing a play folds only the play's texts.
class ExclusionRules {
public:
    ExclusionRules() = default;
    explicit ExclusionRules(std::vector<ExclusionRule> rules);
    const std::vector<ExclusionRule>& rules() const { return rules_; }
    bool empty() const { return rules_.empty(); }

    // Whether any rule keeps the play out. A rule with an empty text keeps nothing out.
    bool excludes(const CTrackRecord& record) const;

private:
    std::vector<ExclusionRule> rules_;
    std::vector<std::string> folded_;  // per rule
};

// The predicate on its own, for callers that hold a record and the rules (live submission).
inline bool isExcludedPlay(const CTrackRecord& record, const ExclusionRules& rules) { return rules.excludes(record); }

// The stored form, one rule a line: "path\t<text>", "genre\t<text>" or "artist\t<text>". Lines
// that are none of these (a damaged value) are skipped; tabs and line breaks inside a text are
// dropped when written, since they cannot be told from the separators.
std::vector<ExclusionRule> parseExclusionRules(std::string_view stored);
std::string writeExclusionRules(const std::vector<ExclusionRule>& rules);

// The word of a field in the stored form and in the rules dialog ("path", "genre", "artist").
const char* exclusionFieldWord(ExclusionField field);
