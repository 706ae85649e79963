// Conversions between the ANSI code page that tags and paths are stored in and UTF-8, the encoding
// of every file the plays are exchanged in.
#pragma once
#include <string>
#include <string_view>

// The text as UTF-8. On Windows through the system's ANSI code page; natively the code page is
// taken as Latin-1, as the database reader takes it.
std::string ansiToUtf8(std::string_view text);
// Appends the UTF-8 form of `text` to `out` (no temporary string for text that is plain ASCII).
void appendAnsiAsUtf8(std::string& out, std::string_view text);

// UTF-8 text in the ANSI code page. A character the code page cannot show, and a byte that is not
// part of a well-formed UTF-8 sequence, becomes '?'.
std::string utf8ToAnsi(std::string_view text);
