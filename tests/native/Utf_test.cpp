#include <gtest/gtest.h>

#include <string>

#include "core/AnsiText.h"
#include "core/CodePage.h"
#include "core/Utf.h"

namespace {

const std::string kFffd = "\xEF\xBF\xBD";

struct DecodeCase {
    const char* name;
    std::string utf8;
    std::u16string utf16;  // what the decoder makes of it
    bool wellFormed;
};

}  // namespace

TEST(Utf8, OneDecoderRefusesEveryMalformedForm) {
    const DecodeCase cases[] = {
        {"ASCII", "abc", u"abc", true},
        {"two, three and four bytes", "\xC3\xA9\xE6\x9D\xB1\xF0\x9F\x8E\xB5", u"\u00E9\u6771\U0001F3B5", true},
        {"overlong zero", std::string("A\xC0\x80" "B", 4), u"A\uFFFD\uFFFDB", false},
        {"overlong slash in three bytes", "\xE0\x80\xAF", u"\uFFFD\uFFFD\uFFFD", false},
        {"surrogate written as UTF-8", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD", false},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD", false},
        {"cut at the end", "ab\xE6\x9D", u"ab\uFFFD\uFFFD", false},
        {"lone continuation byte", "\x80z", u"\uFFFDz", false},
        {"lead byte then ASCII", "\xC3" "a", u"\uFFFDa", false},
    };
    for (const DecodeCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(utf8ToUtf16(c.utf8), c.utf16);
        EXPECT_EQ(isWellFormedUtf8(c.utf8), c.wellFormed);
        EXPECT_TRUE(isWellFormedUtf8(wellFormedUtf8(c.utf8)));
        if (c.wellFormed) EXPECT_EQ(utf16ToUtf8(c.utf16), c.utf8);
    }
}

TEST(Utf16, LoneSurrogatesBecomeReplacementCharacters) {
    EXPECT_EQ(utf16ToUtf8(u"\U0001F3B5"), "\xF0\x9F\x8E\xB5");
    EXPECT_EQ(utf16ToUtf8(std::u16string{u'a', 0xD800, u'b'}), "a" + kFffd + "b");
    EXPECT_EQ(utf16ToUtf8(std::u16string{0xDC00, 0xD83C}), kFffd + kFffd);
}

TEST(Utf8, CaseFoldingOfTheScriptsThatShip) {
    struct Case {
        const char* a;
        const char* b;
        bool equal;
    };
    const Case cases[] = {
        {"Sigur R\xC3\xB3s", "SIGUR R\xC3\x93S", true},                   // Latin-1
        {"\xC5\xA1\xC5\x93\xC5\xBE\xC3\xBF", "\xC5\xA0\xC5\x92\xC5\xBD\xC5\xB8", true},  // the rest of Windows-1252
        {"\xCE\xB1\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1", "\xCE\x91\xCE\x98\xCE\x89\xCE\x9D\xCE\x91", true},  // Greek
        {"\xCF\x82", "\xCE\xA3", true},                                    // final sigma
        {"\xD0\xBA\xD0\xB8\xD0\xBD\xD0\xBE \xD1\x91", "\xD0\x9A\xD0\x98\xD0\x9D\xD0\x9E \xD0\x81", true},  // Cyrillic
        {"\xE6\x9D\xB1\xE4\xBA\xAC", "\xE6\x9D\xB1\xE4\xBA\xAC", true},   // no case: as it is
        {"abc", "abd", false},
        {"\xC3\xA9", "E", false},                                          // accents matter
        {"Long run, then \xC3\xA9 and more", "LONG RUN, THEN \xC3\x89 AND MORE", true},
        {"abc", "ab", false},                                              // one ends first
        {"ab\xC3\xA9", "AB\xC3\x89x", false},
        {"a\x80", "A\xEF\xBF\xBD", true},                                  // a stray byte reads as U+FFFD
        {"\xEF\xBD\x81\xEF\xBD\x9A", "\xEF\xBC\xA1\xEF\xBC\xBA", true},  // full-width Latin
        {"\xEF\xBD\x9B", "\xEF\xBC\xBB", false},                          // the brackets beside it have no case
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.a);
        EXPECT_EQ(utf8EqualNoCase(c.a, c.b), c.equal);
        EXPECT_EQ(utf8FoldCase(c.a) == utf8FoldCase(c.b), c.equal);
    }
}

TEST(Utf8, FitLengthNeverCutsACharacter) {
    EXPECT_EQ(utf8FitLength("abc", 5), 3u);
    EXPECT_EQ(utf8FitLength("ab\xE6\x9D\xB1", 4), 2u);
    EXPECT_EQ(utf8FitLength("ab\xE6\x9D\xB1", 5), 5u);
    EXPECT_EQ(utf8FitLength("\xC3\xA9\xC3\xA9", 3), 2u);
}

TEST(CodePage, NativeLatin1SaysWhatItCannotHold) {
    bool lossless = false;
    EXPECT_EQ(utf8ToAnsi("Caf\xC3\xA9", &lossless), "Caf\xE9");
    EXPECT_TRUE(lossless);
    EXPECT_EQ(utf8ToAnsi("\xE6\x9D\xB1 x", &lossless), "? x");
    EXPECT_FALSE(lossless);
    EXPECT_EQ(utf8ToAnsi(std::string("\xC0\x80", 2)), "??");
    EXPECT_EQ(ansiToUtf8("Caf\xE9"), "Caf\xC3\xA9");
    // Folding of code-page text goes through the same table.
    EXPECT_TRUE(ansiEqualNoCase("caf\xE9", "CAF\xC9"));
    EXPECT_FALSE(ansiEqualNoCase("\xFF", "?"));
}
