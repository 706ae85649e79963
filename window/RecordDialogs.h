// The record edits' dialogs on Windows: the path dialog and the tag editor, owned by the window
// the user worked in (the Playtally window), so that it waits while they are open.
#pragma once
#include "core/RecordDialogs.h"

class CRecordDialogs : public IRecordDialogs {
public:
    bool editPath(std::string& path, std::u16string& widePath, const std::string& missingPath,
                  const std::u16string& missingWide) override;
    bool editTexts(TrackTexts& texts) override;
};
