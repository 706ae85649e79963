#include "database/TrackTag.h"

#include <memory>

#include "core/Exceptions.h"
#include "core/FileSystem.h"
#include "tags/Id3v2Tag.h"
#include "core/PlayerMetadata.h"

namespace {

// A field lacks when its text is empty (genre: 255), as the storing rule sees it.
bool lacks(std::string_view text) { return text.empty(); }

// The ID3v2 tag's texts, each one it lacks from the ID3v1 tag.
TrackTexts fromId3v2(const Id3v2Fields& v2, const CId3v1Tag* v1) {
    const TrackTexts fallback = textsOfBody(v1 ? *v1 : CId3v1Tag());
    auto pick = [](const std::string& mine, const std::string& other) { return !lacks(mine) ? mine : other; };
    TrackTexts texts;
    texts.title = pick(v2.title, fallback.title);
    texts.artist = pick(v2.artist, fallback.artist);
    texts.album = pick(v2.album, fallback.album);
    texts.year = pick(v2.year, fallback.year);
    texts.comment = pick(v2.comment, fallback.comment);
    texts.genre = pick(v2.genreName, fallback.genre);
    return texts;
}

// The player's description (UTF-8), or false when it has none at all.
bool askPlayer(IPlayerMetadata& player, const std::string& path, const std::u16string& widePath, TrackTexts& texts) {
    std::string year;
    bool any = false;
    auto field = [&](const char* name, std::string& value) {
        if (player.fileInfo(path, widePath, name, value) && !value.empty()) any = true;
    };
    field("artist", texts.artist);
    field("title", texts.title);
    // A player that cannot describe the file answers nothing for the first two either.
    if (!any) return false;
    field("album", texts.album);
    field("year", year);
    field("comment", texts.comment);
    field("genre", texts.genre);
    texts.year = yearFromText(year);
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

bool tagHasFields(const CTrackRecord& record, const FieldFlags& required) {
    std::string scratch;
    for (int id : kTextFields)
        if (required[id] && lacks(record.TextView(id, scratch))) return false;
    return true;
}

TagSource readTrackTag(IFileSystem& files, std::string_view pathText, const std::u16string& widePath,
                       const TagRules& rules, CTrackRecord& record) {
    const std::string path(pathText);  // the file system's form
    if (!rules.readOtherTags) {
        CId3v1Tag tag;
        if (!tag.ReadFromFile(files, path)) return TagSource::none;
        record.SetTag(tag);
        return TagSource::id3v1;
    }

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
            record.SetTag(v1);
            return TagSource::id3v1;
        }
        try {
            haveV2 = readId3v2Tag(*file, v2);
        } catch (const CFileException&) {
            haveV2 = false;
        }
    }

    CTrackRecord merged;
    if (haveV2) {
        merged.SetTexts(fromId3v2(v2, haveV1 ? &v1 : nullptr));
        if (tagHasFields(merged, rules.required)) {
            record.SetTexts(merged.Texts());
            return TagSource::id3v2;
        }
    }
    TrackTexts described;
    if (rules.player && askPlayer(*rules.player, path, widePath, described)) {
        CTrackRecord player;
        player.SetTexts(described);
        if (tagHasFields(player, rules.required)) {
            record.SetTexts(described);
            return TagSource::player;
        }
    }
    // Nothing usable: what the file has goes back, for the storing rule to refuse as before.
    if (haveV2) {
        record.SetTexts(merged.Texts());
        return TagSource::id3v2;
    }
    if (haveV1) {
        record.SetTag(v1);
        return TagSource::id3v1;
    }
    return TagSource::none;
}

TagSource readTrackTag(IFileSystem& files, const TagRules& rules, CTrackRecord& record) {
    return readTrackTag(files, record.path, record.widePath, rules, record);
}
