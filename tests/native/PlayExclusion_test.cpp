#include <gtest/gtest.h>

#include "database/PlayExclusion.h"
#include "database/TrackRecord.h"
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

TEST(PlayExclusion, RulesMeetTheWholeTextsOfAPlay) {
    // Rule texts are in the code page (native: Latin-1); the play's texts whole in UTF-8.
    const ExclusionRules rules({{ExclusionField::Artist, "The Orchestra of Artist Number Twelve"},
                                {ExclusionField::Artist, "Sigur R\xF3s"},
                                {ExclusionField::Genre, "synthwave"},
                                {ExclusionField::Path, "\\spoken\\"}});
    struct Case {
        const char* artist;
        const char* genre;
        std::u16string widePath;
        bool excluded;
    } const cases[] = {
        {"The Orchestra of Artist Number Twelve", "", u"", true},  // longer than the body's 30 bytes
        {"The Orchestra of Artist Number Twelve Two", "", u"", false},
        {"SIGUR R\xC3\x93S", "", u"", true},
        {"Kino", "Synthwave", u"", true},  // a genre the old table lacks
        {"Kino", "Lo-Fi", u"", false},
        {"\xD0\x9A\xD0\xB8\xD0\xBD\xD0\xBE", "", u"D:\\Spoken\\\u041A.mp3", true},  // a path the code page cannot hold
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.artist);
        CTrackRecord play("D:\\m.mp3", 240, 1600000000, 200);
        play.widePath = c.widePath;
        TrackTexts texts;
        texts.artist = c.artist;
        texts.title = "Title";
        texts.genre = c.genre;
        play.SetTexts(texts);
        EXPECT_EQ(isExcludedPlay(play, rules), c.excluded);
    }
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
