#include <gtest/gtest.h>

#include "report/ReplaceTag.h"
#include "report/ItemTemplate.h"
#include "core/ListRow.h"

namespace {

TEST(ReplaceTag, EveryOccurrenceOnce) {
    struct Case {
        const char* text;
        const char* tag;
        const char* value;
        const char* expected;
    };
    const Case cases[] = {
        {"no tag", "#x", "V", "no tag"},
        {"", "#x", "V", ""},
        {"#x", "#x", "V", "V"},
        {"#xab#x", "#x", "V", "VabV"},
        {"a#xb#xc", "#x", "", "abc"},                       // an empty value removes the tag
        {"#x#x#x", "#x", "<#x>", "<#x><#x><#x>"},           // values are not replaced again
        {"##xx", "#x", "#x", "##xx"},                       // nor is a tag a value completes
        {"line\n#x\nline", "#x", "V\nW", "line\nV\nW\nline"},
        {"#title#titles", "#title", "T", "TTs"},
    };
    for (const Case& c : cases) EXPECT_EQ(replaceTag(c.text, c.tag, c.value), c.expected) << c.text;
}

TEST(ReplaceTag, SeveralMegabytes) {
    const std::string filler(3 << 20, 'x');
    const std::string text = "#sdate" + filler + "#sdate\n" + filler + "#sdate";
    std::string result = replaceTag(text, "#sdate", "01/02/03");
    EXPECT_EQ(result, "01/02/03" + filler + "01/02/03\n" + filler + "01/02/03");
}

TEST(ReplaceTag, ReplacerIsReusable) {
    CTagReplacer artist("#artist");
    EXPECT_TRUE(artist.occursIn("<td>#artist</td>"));
    EXPECT_FALSE(artist.occursIn("<td>#title</td>"));
    EXPECT_EQ(artist.replace("<td>#artist</td>", "A"), "<td>A</td>");
    EXPECT_EQ(artist.replace("#artist#artist", "B"), "BB");
}

TEST(ReplaceTag, HtmlEscape) {
    EXPECT_EQ(htmlEscape("a<b>&\"c'"), "a&lt;b&gt;&amp;&quot;c'");
    EXPECT_EQ(htmlEscape("&amp;"), "&amp;amp;");
    EXPECT_EQ(htmlEscape(""), "");
}

TEST(ReplaceTag, ReportTextsTheCodePageLacksBecomeCharacterReferences) {
    const struct {
        const char* utf8;
        const char* written;  // in the (native, Latin-1) code page
    } cases[] = {
        {"Caf\xC3\xA9 <b>", "Caf\xE9 &lt;b&gt;"},
        {"\xE6\x9D\xB1\xE4\xBA\xAC & co", "&#x6771;&#x4EAC; &amp; co"},
        {"\xF0\x9F\x8E\xB5!", "&#x1F3B5;!"},
        {"plain", "plain"},
        {"\"A\xE2\x80\x93" "B\"", "&quot;A&#x2013;B&quot;"},
        {"a\x80<", "a&#xFFFD;&lt;"},  // a byte that starts no character
    };
    for (const auto& c : cases) EXPECT_EQ(htmlReportText(c.utf8), c.written) << c.utf8;
}

}  // namespace

TEST(ItemTemplate, AValueHoldingATagIsReplacedAsTagByTagReplacementDoes) {
    struct Case {
        const char* item;
        const char* title;
        const char* album;
        const char* filled;
    } cases[] = {
        {"<td>#title</td><td>#album</td>", "T", "X", "<td>T</td><td>X</td>"},
        {"#title/#album/#title", "\xE6\x9D\xB1", "A&B", "&#x6771;/A&amp;B/&#x6771;"},
        {"#title/#album", "#album", "X", "X/X"},  // the title made a tag the album's turn replaced
        {"##title#album", "album", "X", "XX"},
    };
    for (const Case& c : cases) {
        CListRow row;
        row.cells[FieldTitle] = c.title;
        row.cells[FieldAlbum] = c.album;
        CItemTemplate item(c.item, true);
        EXPECT_EQ(item.fill(row), c.filled) << c.item;
    }
}
