// The two dialogs the record edits ask the user through: the path dialog and the tag editor. The
// Windows build shows the real dialogs; tests answer in their place.
#pragma once
#include <string>

#include "core/TrackTexts.h"

class IRecordDialogs {
public:
    virtual ~IRecordDialogs() = default;
    // The path dialog on `path`, or on `widePath` when that is not empty (the name whole, where the
    // code page could not hold it); a non-empty `missingPath` (`missingWide`: its name whole) adds
    // the line that the file was not found. On OK `path` holds the confirmed text in the code page
    // (unchecked: it may be empty), `widePath` the text whole when the code page cannot hold it and
    // is empty otherwise, and the result is true; on Cancel both are left alone.
    virtual bool editPath(std::string& path, std::u16string& widePath, const std::string& missingPath,
                          const std::u16string& missingWide) = 0;
    // The tag editor on a record's texts (whole, UTF-8), changed in place on OK (true).
    virtual bool editTexts(TrackTexts& texts) = 0;
};
