// Plays leaving and entering the database: the export of every stored play to a file of one of
// the exchange formats, and the import of listens kept elsewhere, without duplicates. Both report
// to the user themselves, through the keyed messages.
#pragma once
#include <cstddef>
#include <string>

#include "exchange/PlayWriters.h"

class CDoc;

enum class ExportStatus { written, cancelled, failed };

// Writes every stored play, oldest first, to `path` in `format`. The file is written beside the
// path first and put in its place only when complete, so an existing file stays until then; a
// cancelled or failed export leaves no file behind. Large exports show the progress window.
ExportStatus exportPlays(CDoc& doc, const std::string& path, PlayFormat format);

struct ImportResult {
    bool applied = false;       // the file was read and the user did not cancel
    std::size_t added = 0;
    std::size_t duplicates = 0;
    bool limitChanged = false;  // the user raised the size limit or turned it off
};

// Adds the listens of a ListenBrainz JSON file or a scrobbler log to the database, in the order
// of their dates, skipping those that repeat a stored play or an earlier listen of the file by
// the duplicate rule (database/DuplicateRule.h). All or nothing: a file that cannot be read whole changes
// nothing. Before the database grows beyond its size limit the user is asked.
ImportResult importPlays(CDoc& doc, const std::string& path);

// The play count above which an export shows the progress window.
constexpr std::size_t kExportProgressFrom = 5000;
