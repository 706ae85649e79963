// The bytes of ID3v1 tags, built by hand from the published layout.
#pragma once
#include <string>

// A 125-byte tag body: title 30, artist 30, album 30, year 4, comment 30, genre 1.
inline std::string tagBody(const std::string& title, const std::string& artist, const std::string& album = "",
                           const std::string& year = "", const std::string& comment = "",
                           unsigned char genre = 255) {
    std::string body;
    auto place = [&body](const std::string& text, std::size_t width) {
        std::string field = text.substr(0, width);
        field.resize(width, '\0');
        body += field;
    };
    place(title, 30);
    place(artist, 30);
    place(album, 30);
    place(year, 4);
    place(comment, 30);
    body += static_cast<char>(genre);
    return body;
}

// The last 128 bytes of an MP3 file: "TAG" and the body.
inline std::string id3v1Block(const std::string& title, const std::string& artist, const std::string& album,
                              const std::string& year, const std::string& comment, unsigned char genre) {
    return "TAG" + tagBody(title, artist, album, year, comment, genre);
}
