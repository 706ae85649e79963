// The files the plays leave the plug-in in: ListenBrainz JSON (an array of listens), the portable
// player's scrobbler log (version 1.1) and CSV for spreadsheets. Each writer makes the bytes of its
// file play by play; the caller takes them in pieces, so no file is held in memory whole.
#pragma once
#include <memory>
#include <string>
#include <string_view>

#include "core/Clock.h"

class CTrackRecord;

enum class PlayFormat { listenBrainz, scrobblerLog, csv };

// Who wrote the file, as the formats name it.
struct ExportClient {
    std::string name = "Dozoderi Playtally";
    std::string version;
};
// The plug-in as client: its name and the version it shows its user (string 1).
ExportClient playtallyClient();

class PlayWriter {
public:
    virtual ~PlayWriter() = default;
    virtual void begin() = 0;
    virtual void add(const CTrackRecord& record) = 0;
    virtual void end() = 0;
    // The bytes made since the last clearPending.
    virtual std::string_view pending() const = 0;
    virtual void clearPending() = 0;
};

std::unique_ptr<PlayWriter> makePlayWriter(PlayFormat format, const ExportClient& client);

// The file name an export is offered under, dated with the local day of `now`: the ListenBrainz
// file ends in "_lb-<YYYY-MM-DD>.json", the form the self-hosted importers recognise.
std::string defaultExportName(PlayFormat format, TimeValue now);

