// Which tag a played file's record gets: its ID3v1 tag, its ID3v2 tag, or what the player says.
#pragma once
#include <string>
#include <string_view>

#include "tags/Id3v1Tag.h"
#include "database/TrackRecord.h"
#include "core/Settings.h"

class IFileSystem;
class IPlayerMetadata;

enum class TagSource { none, id3v1, id3v2, player };

struct TagRules {
    FieldFlags required{};          // "DoNotStoreFields": the fields a stored play must have
    bool readOtherTags = true;      // "ReadOtherTags"; false: the ID3v1 tag alone, as always
    IPlayerMetadata* player = nullptr;  // none: the player is never asked
};

// Whether the tag has every required field among artist, title, album, year, genre and comment.
bool tagHasFields(const CId3v1Tag& tag, const FieldFlags& required);
// The same of a play's whole texts (a genre outside the table counts).
bool tagHasFields(const CTrackRecord& record, const FieldFlags& required);

// Reads the tag of the file at `path` (`widePath`: its name whole when `path` cannot hold it)
// into `record`'s texts: an ID3v1 tag as its body, the ID3v2 tag's and the player's texts whole.
// An ID3v1 tag with every required field is used as it is, so that plays stored before keep
// grouping as before. Otherwise (with readOtherTags) the fields come from the ID3v2 tag, each one
// it lacks from the ID3v1 tag; when that still lacks a required field, the player is asked. A tag
// that was found but lacks fields is still given (the caller refuses it); none when nothing was
// found. Without readOtherTags a file error raises CMyReadMp3TagException, as the ID3v1 reader
// always did; with it, such a file is one the player may still describe.
TagSource readTrackTag(IFileSystem& files, std::string_view path, const std::u16string& widePath,
                       const TagRules& rules, CTrackRecord& record);
// The same for the play's own file (its `path` and `widePath`).
TagSource readTrackTag(IFileSystem& files, const TagRules& rules, CTrackRecord& record);
