#include <gtest/gtest.h>

#include "database/PlayExclusion.h"
#include "tests/native/StatsSupport.h"

using namespace statstest;

TEST(PlayExclusion, RulesMatchPathPartGenreAndArtistInAnyCase) {
    const ExclusionRules rules({{ExclusionField::Path, "\\Audiobooks\\"},
                                {ExclusionField::Genre, "speech"},
                                {ExclusionField::Artist, "The Kids"},
                                {ExclusionField::Artist, ""}});
    struct Case {
        Play play;
        bool excluded;
    };
    const Case cases[] = {
        {{"X", "T", "A", 0, 1, "D:\\AUDIOBOOKS\\one.mp3"}, true},
        {{"X", "T", "A", 0, 1, "D:\\Audiobooks2\\one.mp3"}, false},
        {{"X", "T", "A", 0, 1, "D:\\m.mp3", 101}, true},     // "Speech"
        {{"X", "T", "A", 0, 1, "D:\\m.mp3", 17}, false},     // "Rock"
        {{"the kids", "T", "A", 0, 1}, true},
        {{"The Kids Are Alright", "T", "A", 0, 1}, false},  // the artist is the text, not contains it
        {{"", "T", "A", 0, 1, "D:\\m.mp3", 255}, false},    // empty texts match no rule
    };
    for (const Case& c : cases) {
        RecordArray records;
        addPlay(records, c.play);
        EXPECT_EQ(isExcludedPlay(*records[0], rules), c.excluded) << c.play.artist << " " << c.play.path;
    }
    RecordArray records;
    addPlay(records, cases[0].play);
    EXPECT_FALSE(isExcludedPlay(*records[0], ExclusionRules()));
}

TEST(PlayExclusion, StoredFormKeepsRulesAndSkipsDamage) {
    const std::vector<ExclusionRule> rules = {{ExclusionField::Path, "\\Audiobooks\\"},
                                              {ExclusionField::Genre, "Podcast"},
                                              {ExclusionField::Artist, "A\tB"}};
    const std::string stored = writeExclusionRules(rules);
    EXPECT_EQ(stored, "path\t\\Audiobooks\\\ngenre\tPodcast\nartist\tAB\n");
    std::vector<ExclusionRule> back = parseExclusionRules(stored);
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0], rules[0]);
    EXPECT_EQ(back[2].text, "AB");
    EXPECT_EQ(parseExclusionRules("bogus\tX\r\ngenre\t\npath\nartist\tZ\r\n"),
              (std::vector<ExclusionRule>{{ExclusionField::Artist, "Z"}}));
}
