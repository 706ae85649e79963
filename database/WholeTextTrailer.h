// What the database file keeps of its plays beyond the records of the original layout: the texts
// whole and the first start of a paused play, in a trailer after the last record.
//
// The trailer begins as a record would: twelve bytes where its numbers stand (a mark no play
// has), then a path whose length claims 4 GB. A reader of the original layout reads records up to
// the end of the file and takes a string that cannot be read whole as the end of the data: it
// reads every record with its body and stops at the trailer. The trailer's own layout (version 1):
//   uint32 version, uint32 number of records before it, uint32 number of entries, then per entry
//   uint32 record index (rising), uint8 what follows (1 texts, 2 first start), for texts a uint32
//   byte count and the six texts (CTrackRecord::PackedTexts), for a first start an int32;
//   then the 8 bytes "PTLYEND1". Little-endian throughout.
#pragma once
#include <cstdint>
#include <vector>

#include "database/Doc.h"

class CArchive;

// Whether a trailer starts at the archive's position (looked at, not read).
bool atWholeTextTrailer(CArchive& archive);
// Whether a record keeps something beyond its body (whole texts, a first start): an entry of the
// trailer.
inline bool hasTrailerEntry(const CTrackRecord& record) { return record.HasWholeTexts() || record.firstStart != 0; }
// Writes the trailer after the records, when any of them keeps something beyond its body;
// `entries` are the positions of those records, rising (the writer of the records notes them as
// it passes, so that the trailer need not look at every record again).
void writeWholeTextTrailer(CArchive& archive, const RecordArray& records, const std::vector<std::uint32_t>& entries);
// Reads the trailer into the records read before it. False when it is damaged in any way (cut,
// claiming more than the file holds, texts that are not UTF-8, entries for records that are not
// there): then no record takes anything from it.
bool readWholeTextTrailer(CArchive& archive, RecordArray& records);
// A record without texts of its own whose path and body equal those of a record with whole texts
// (the same file with the same tag, played before the plug-in kept whole texts) takes that
// record's texts; the latest such record's when several differ.
void shareWholeTexts(RecordArray& records);
