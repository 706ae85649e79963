#include "database/TrackTag.h"

#include <memory>

#include "core/Exceptions.h"
#include "core/FileSystem.h"
#include "database/Id3v2Tag.h"
#include "plugin/PlayerMetadata.h"

namespace {

// A field lacks when its text is empty (genre: 255), as the storing rule sees it.
bool lacks(std::string_view text) { return text.empty(); }

CId3v1Tag fromId3v2(const Id3v2Fields& v2, const CId3v1Tag* v1) {
    auto pick = [](const std::string& mine, std::string_view other) {
        return !lacks(mine) ? mine : std::string(other);
    };
    const CId3v1Tag none;
    const CId3v1Tag& fallback = v1 ? *v1 : none;
    return CId3v1Tag(pick(v2.artist, fallback.artist()), pick(v2.album, fallback.album()),
                     pick(v2.title, fallback.title()), pick(v2.year, fallback.year()),
                     pick(v2.comment, fallback.comment()),
                     v2.genre != CId3v1Tag::kNoGenre ? v2.genre : fallback.genre());
}

// The player's description, or false when it has none at all.
bool askPlayer(IPlayerMetadata& player, const std::string& path, const std::u16string& widePath, CId3v1Tag& tag) {
    std::string artist, title, album, year, comment, genre;
    bool any = false;
    auto field = [&](const char* name, std::string& value) {
        if (player.fileInfo(path, widePath, name, value) && !value.empty()) any = true;
    };
    field("artist", artist);
    field("title", title);
    // A player that cannot describe the file answers nothing for the first two either.
    if (!any) return false;
    field("album", album);
    field("year", year);
    field("comment", comment);
    field("genre", genre);
    tag = CId3v1Tag(artist, album, title, yearFromText(year), comment,
                    genre.empty() ? CId3v1Tag::kNoGenre : genreFromText(genre));
    return true;
}

}  // namespace

bool tagHasFields(const CId3v1Tag& tag, const FieldFlags& required) {
    if (required[FieldArtist] && lacks(tag.artist())) return false;
    if (required[FieldTitle] && lacks(tag.title())) return false;
    if (required[FieldAlbum] && lacks(tag.album())) return false;
    if (required[FieldYear] && lacks(tag.year())) return false;
    if (required[FieldComment] && lacks(tag.comment())) return false;
    if (required[FieldGenre] && tag.genre() == CId3v1Tag::kNoGenre) return false;
    return true;
}

TagSource readTrackTag(IFileSystem& files, const std::string& path, const std::u16string& widePath,
                       const TagRules& rules, CId3v1Tag& tag) {
    if (!rules.readOtherTags) return tag.ReadFromFile(files, path) ? TagSource::id3v1 : TagSource::none;

    CId3v1Tag v1;
    bool haveV1 = false;
    Id3v2Fields v2;
    bool haveV2 = false;
    if (std::unique_ptr<IFile> file = openTrackFile(files, path, widePath)) {
        try {
            haveV1 = v1.ReadFromOpenFile(*file);
        } catch (const CMyReadMp3TagException&) {
            haveV1 = false;  // shorter than an ID3v1 tag: the other sources may still know it
        }
        if (haveV1 && tagHasFields(v1, rules.required)) {
            tag = v1;
            return TagSource::id3v1;
        }
        try {
            haveV2 = readId3v2Tag(*file, v2);
        } catch (const CFileException&) {
            haveV2 = false;
        }
    }

    CId3v1Tag merged;
    if (haveV2) {
        merged = fromId3v2(v2, haveV1 ? &v1 : nullptr);
        if (tagHasFields(merged, rules.required)) {
            tag = merged;
            return TagSource::id3v2;
        }
    }
    CId3v1Tag described;
    if (rules.player && askPlayer(*rules.player, path, widePath, described) &&
        tagHasFields(described, rules.required)) {
        tag = described;
        return TagSource::player;
    }
    // Nothing usable: what the file has goes back, for the storing rule to refuse as before.
    if (haveV2) {
        tag = merged;
        return TagSource::id3v2;
    }
    if (haveV1) {
        tag = v1;
        return TagSource::id3v1;
    }
    return TagSource::none;
}
