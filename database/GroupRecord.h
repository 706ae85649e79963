// The working group of the ranked mode, over the rows it becomes.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/ListRow.h"
#include "core/Settings.h"
#include "database/TrackRecord.h"

// The working object of the ranked mode: the group's first play, its hit count and the fields its
// plays disagree in. Never stored, never shown directly.
//
// The tag's texts are views of its 125-byte body, and clearing a field must leave that body alone,
// so cleared texts are kept as a mask and answered here; cleared numbers simply become 0 and a
// cleared genre becomes "no genre" (255), which lives apart from the body.
class CGroupRecord : public CTrackRecord {
public:
    std::int32_t hits = 1;         // plays in the group
    std::int32_t firstIndex = -1;  // position in records of the play that started the group

    CGroupRecord() = default;
    // A full copy (CopyAll) of the group's first play, with one hit.
    CGroupRecord(const CTrackRecord& first, std::int32_t firstIndex);

    std::string GetFieldText(int id, const std::string& dateFormat) const override;
    virtual std::int32_t GetHits() const { return hits; }
    virtual void SetHits(std::int32_t value) { hits = value; }

    // True when the field is empty: a date, length or played time of 0, an empty (or cleared) text,
    // genre 255. Number, Hits and unknown ids are never empty.
    bool IsFieldEmpty(int id) const;
    // Date, Length and Played become 0; Artist, Title, Album, Year and Comment become ""; Genre
    // becomes 255. Other ids are ignored. The tag body is not touched.
    void ClearField(int id);
    bool IsTextCleared(int id) const {
        return (isTextField(id) || id == FieldGenre) && (clearedTexts_ & (1u << id)) != 0;
    }

    // Artist, Title, Album, Year and Comment: the texts a group can clear.
    static bool isTextField(int id) {
        return id == FieldArtist || id == FieldTitle || id == FieldAlbum || id == FieldYear || id == FieldComment;
    }

private:
    std::uint16_t clearedTexts_ = 0;  // bit per field id
};

// The tag text of a text field id (Artist, Title, Album, Year, Comment) of a record; "" otherwise.
std::string_view tagTextOf(const CTrackRecord& record, int id);
