// The small integers that name one field of a play.
#pragma once
#include <array>

// Field ids: one field of a play. They index flag lists, list columns and row cells.
enum FieldId : int {
    FieldNumber = 0,
    FieldDate = 1,
    FieldHits = 2,
    FieldLength = 3,
    FieldPlayed = 4,
    FieldArtist = 5,
    FieldTitle = 6,
    FieldAlbum = 7,
    FieldYear = 8,
    FieldGenre = 9,
    FieldComment = 10,
};
constexpr int kFieldCount = 11;
using FieldFlags = std::array<bool, kFieldCount>;

// What a row adds up to beyond the fields of a play: the first and the last play of its group and
// the seconds they were heard. Columns of the list and tags of the report, never stored, grouped
// by or named in the 11-flag settings.
enum RowTimeId : int {
    ColumnFirst = kFieldCount,
    ColumnLast = kFieldCount + 1,
    ColumnHeard = kFieldCount + 2,
};
constexpr int kColumnCount = kFieldCount + 3;

// The columns' names, in column order: the list's captions; the first kFieldCount, the fields'
// names, are also the field lists' labels.
constexpr const char* kColumnNames[kColumnCount] = {"#",     "Date",  "Hit",  "Length", "Played", "Artist",
                                                    "Title", "Album", "Year", "Genre",  "Comment",
                                                    "First", "Last",  "Heard"};
constexpr const char* const* kFieldNames = kColumnNames;
