// The database document as the playback monitor's sink of finished plays.
#pragma once
#include "database/Doc.h"
#include "plugin/PlaybackMonitor.h"

class CDocTrackSink : public ITrackSink {
public:
    explicit CDocTrackSink(CDoc& doc) : doc_(doc) {}
    bool AddTrack(const CTrackRecord& pending) override { return doc_.AddTrack(pending); }

private:
    CDoc& doc_;
};
