// The system's ANSI code page, in which tags and paths are stored (never assumed UTF-8). On
// Windows it is the system's own (core/win/); natively it is taken as Latin-1, which is what
// Windows-1252 holds for nearly all of its bytes. Double-byte code pages are respected: a lead byte
// and its trail byte are one character.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

bool isAnsiLeadByte(unsigned char c);
// Whether the code page has double-byte characters at all (when not, every byte is a character).
bool ansiHasLeadBytes();
// The text as UTF-16.
std::u16string ansiToUtf16(std::string_view text);
// UTF-16 in the code page; a character it cannot hold becomes its default character ('?'), and
// `lossless`, when given, says whether every character was held.
std::string utf16ToAnsi(std::u16string_view text, bool* lossless = nullptr);

// Appends the code page's bytes of one character (a code point) and returns true, or returns
// false (appending nothing) when the code page cannot hold it exactly.
bool appendAnsiCharacter(std::string& out, char32_t code);

// The text as UTF-8.
std::string ansiToUtf8(std::string_view text);
// Appends the UTF-8 form of `text` to `out` (no temporary string for text that is plain ASCII).
void appendAnsiAsUtf8(std::string& out, std::string_view text);
// UTF-8 text in the code page. A character it cannot show, and a byte that is not part of a
// well-formed UTF-8 sequence, becomes '?'; `lossless` as above.
std::string utf8ToAnsi(std::string_view text, bool* lossless = nullptr);
