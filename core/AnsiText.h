// Texts of tags and paths are bytes in the system's ANSI code page (core/CodePage.h). Double-byte
// code pages are respected: a lead byte and its trail byte are one character.
#pragma once
#include <string>
#include <string_view>

// A form of the text in which letter case no longer matters (a key, in UTF-8): two texts are
// equal ignoring case exactly when their folded forms are equal. The letters of every code page
// fold alike, through one table (core/Utf.h).
std::string ansiFoldCase(std::string_view text);
bool ansiEqualNoCase(std::string_view a, std::string_view b);

// The text without its trailing white space (space, tab, line feed, vertical tab, form feed,
// carriage return). Leading white space stays.
std::string_view ansiTrimRight(std::string_view text);

// How many leading bytes of `text` fit into `width` bytes without cutting a double-byte character
// in two (a lead byte that would lose its trail byte stays out).
std::size_t ansiFitLength(std::string_view text, std::size_t width);
// The same with the lead-byte test of some code page.
std::size_t ansiFitLength(std::string_view text, std::size_t width, bool (*isLeadByte)(unsigned char));
