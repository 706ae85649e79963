#include "database/Doc.h"
#include "plugin/PlaybackMonitor.h"

bool CDocTrackSink::AddTrack(const CTrackRecord& pending) { return doc_.AddTrack(pending); }
