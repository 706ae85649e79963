// A small PNG writer for the window pictures (WindowCapture.h): 24-bit colour, no filtering, the
// image data in stored (uncompressed) deflate blocks. Big files, but no compression library is needed.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// `rgb` holds height rows of width pixels, 3 bytes each (red, green, blue), top row first.
// False when the file cannot be written or the sizes do not match.
bool writePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb);
