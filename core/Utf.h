// UTF-8 and UTF-16: the one decoder of every text that comes in as Unicode (tags, the player's
// wide answers, exchanged files) and the conversions between the two forms.
//
// Malformed input never passes as something else: an overlong form, a surrogate written in UTF-8,
// a value beyond U+10FFFF, a cut sequence or a lone surrogate in UTF-16 is refused (one
// replacement character per refused byte or unit), never read as the character it imitates.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

constexpr char32_t kReplacementCharacter = 0xFFFD;

// The code point of the well-formed UTF-8 sequence at text[i], advancing i past it; -1 (and one
// byte on) for a malformed one.
long decodeUtf8(std::string_view text, std::size_t& i);
bool isWellFormedUtf8(std::string_view text);
// Appends the UTF-8 form of a code point (a surrogate or a value beyond U+10FFFF as U+FFFD).
void appendUtf8(std::string& out, char32_t code);
// Appends the UTF-16 form of a code point (the same replacements).
void appendUtf16(std::u16string& out, char32_t code);

// UTF-8 as UTF-16, each malformed byte one U+FFFD.
std::u16string utf8ToUtf16(std::string_view text);
// UTF-16 as UTF-8, each lone surrogate one U+FFFD.
std::string utf16ToUtf8(std::u16string_view text);
// UTF-8 with every malformed byte replaced by U+FFFD (well-formed text comes back as it was).
std::string wellFormedUtf8(std::string_view text);

// The code point of the UTF-16 character at text[i], advancing i past it; a lone surrogate is
// U+FFFD.
char32_t decodeUtf16(std::u16string_view text, std::size_t& i);

// Letter case: the simple upper-case form of a code point (Latin, Greek, Cyrillic, Armenian and
// the full-width Latin letters), one table on every platform, so that what the tests see is what
// ships. Texts compare ignoring case exactly when their folded forms are equal.
char32_t foldCodePoint(char32_t code);
// The folded form of UTF-8 text (malformed bytes as U+FFFD).
std::string utf8FoldCase(std::string_view text);
void appendUtf8FoldCase(std::string& out, std::string_view text);
bool utf8EqualNoCase(std::string_view a, std::string_view b);

// The longest prefix of UTF-8 text of at most `bytes` bytes that ends between two characters.
std::size_t utf8FitLength(std::string_view text, std::size_t bytes);
// UTF-8 text without its trailing white space (space, tab, line feed, vertical tab, form feed,
// carriage return).
std::string_view utf8TrimRight(std::string_view text);
