#include "database/PlayExclusion.h"

#include <utility>

#include "core/AnsiText.h"
#include "core/Utf.h"
#include "database/TrackRecord.h"

namespace {

constexpr ExclusionField kFields[] = {ExclusionField::Path, ExclusionField::Genre, ExclusionField::Artist};

std::string withoutSeparators(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text)
        if (c != '\t' && c != '\n' && c != '\r') out += c;
    return out;
}

}  // namespace

const char* exclusionFieldWord(ExclusionField field) {
    switch (field) {
        case ExclusionField::Genre: return "genre";
        case ExclusionField::Artist: return "artist";
        default: return "path";
    }
}

ExclusionRules::ExclusionRules(std::vector<ExclusionRule> rules) : rules_(std::move(rules)) {
    folded_.reserve(rules_.size());
    for (const ExclusionRule& rule : rules_) folded_.push_back(ansiFoldCase(rule.text));
}

bool ExclusionRules::excludes(const CTrackRecord& record) const {
    if (rules_.empty()) return false;
    // The play's texts whole where it keeps them (UTF-8), folded as the rules' texts are; a body
    // cut to 30 bytes, or a genre the old table lacks, would never meet its rule.
    std::string path, genre, artist, scratch;  // folded on first need
    bool havePath = false, haveGenre = false, haveArtist = false;
    for (std::size_t i = 0; i < rules_.size(); ++i) {
        const std::string& text = folded_[i];
        if (text.empty()) continue;
        switch (rules_[i].field) {
            case ExclusionField::Path:
                if (!havePath)
                    path = record.widePath.empty() ? ansiFoldCase(record.path) : utf8FoldCase(utf16ToUtf8(record.widePath)),
                    havePath = true;
                if (path.find(text) != std::string::npos) return true;
                break;
            case ExclusionField::Genre:
                if (!haveGenre) genre = utf8FoldCase(record.TextView(FieldGenre, scratch)), haveGenre = true;
                if (genre == text) return true;
                break;
            case ExclusionField::Artist:
                if (!haveArtist) artist = utf8FoldCase(record.TextView(FieldArtist, scratch)), haveArtist = true;
                if (artist == text) return true;
                break;
        }
    }
    return false;
}

std::vector<ExclusionRule> parseExclusionRules(std::string_view stored) {
    std::vector<ExclusionRule> rules;
    std::size_t from = 0;
    while (from < stored.size()) {
        std::size_t end = stored.find('\n', from);
        if (end == std::string_view::npos) end = stored.size();
        std::string_view line = stored.substr(from, end - from);
        from = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos || tab + 1 == line.size()) continue;
        const std::string_view word = line.substr(0, tab);
        for (ExclusionField field : kFields) {
            if (word == exclusionFieldWord(field)) {
                rules.push_back(ExclusionRule{field, std::string(line.substr(tab + 1))});
                break;
            }
        }
    }
    return rules;
}

std::string writeExclusionRules(const std::vector<ExclusionRule>& rules) {
    std::string out;
    for (const ExclusionRule& rule : rules) {
        const std::string text = withoutSeparators(rule.text);
        if (text.empty()) continue;
        out += exclusionFieldWord(rule.field);
        out += '\t';
        out += text;
        out += '\n';
    }
    return out;
}
