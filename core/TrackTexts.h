// The texts of a play, whole.
#pragma once
#include <string>

#include "core/FieldId.h"

// The six texts of a play whole, in UTF-8, as its source gave them: title, artist, album, year,
// comment and the genre's name ("" where there is none).
struct TrackTexts {
    std::string title, artist, album, year, comment, genre;

    // The text of a text field id (FieldTitle ... FieldGenre); null for any other id.
    std::string* field(int id);
    const std::string* field(int id) const { return const_cast<TrackTexts*>(this)->field(id); }
    bool operator==(const TrackTexts& other) const;
    bool operator!=(const TrackTexts& other) const { return !(*this == other); }
};
