#include "database/GroupRecord.h"

std::string_view tagTextOf(const CTrackRecord& record, int id) {
    switch (id) {
        case FieldArtist: return record.tag.artist();
        case FieldTitle: return record.tag.title();
        case FieldAlbum: return record.tag.album();
        case FieldYear: return record.tag.year();
        case FieldComment: return record.tag.comment();
        default: return {};
    }
}

CGroupRecord::CGroupRecord(const CTrackRecord& first, std::int32_t firstIndex) : firstIndex(firstIndex) {
    CopyAll(first);
}

std::string CGroupRecord::GetFieldText(int id, const std::string& dateFormat) const {
    if (IsTextCleared(id)) return std::string();
    return CTrackRecord::GetFieldText(id, dateFormat);
}

bool CGroupRecord::IsFieldEmpty(int id) const {
    switch (id) {
        case FieldDate: return date == 0;
        case FieldLength: return length == 0;
        case FieldPlayed: return played == 0;
        case FieldGenre: return IsTextCleared(id) || Text(FieldGenre).empty();
        default:
            if (!isTextField(id)) return false;
            return IsTextCleared(id) || tagTextOf(*this, id).empty();
    }
}

void CGroupRecord::ClearField(int id) {
    switch (id) {
        case FieldDate: date = 0; break;
        case FieldLength: length = 0; break;
        case FieldPlayed: played = 0; break;
        case FieldGenre:
            tag.setGenre(CId3v1Tag::kNoGenre);
            clearedTexts_ = static_cast<std::uint16_t>(clearedTexts_ | (1u << id));  // a whole name too
            break;
        default:
            if (isTextField(id)) clearedTexts_ = static_cast<std::uint16_t>(clearedTexts_ | (1u << id));
            break;
    }
}
