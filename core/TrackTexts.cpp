#include "core/TrackTexts.h"

std::string* TrackTexts::field(int id) {
    switch (id) {
        case FieldTitle: return &title;
        case FieldArtist: return &artist;
        case FieldAlbum: return &album;
        case FieldYear: return &year;
        case FieldComment: return &comment;
        case FieldGenre: return &genre;
        default: return nullptr;
    }
}

bool TrackTexts::operator==(const TrackTexts& o) const {
    return title == o.title && artist == o.artist && album == o.album && year == o.year && comment == o.comment &&
           genre == o.genre;
}
