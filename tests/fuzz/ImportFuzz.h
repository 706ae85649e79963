// What both import fuzz targets check, beyond not crashing: a file that is refused changes
// nothing; an accepted one adds its listens in date order among the stored plays; and importing
// the same file a second time adds nothing.
#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "database/Doc.h"
#include "core/MemoryFileSystem.h"
#include "exchange/PlayExchange.h"
#include "core/AppContext.h"
#include "core/Clock.h"
#include "core/Messages.h"
#include "core/Profile.h"
#include "core/Settings.h"

namespace importfuzz {

class QuietMessages : public IMessages {
public:
    void showMessage(const std::string&, const std::string&) override {}
    bool askYesNo(const std::string&, const std::string&) override { return true; }
};

inline void check(bool condition) {
    if (!condition) std::abort();
}

inline bool inDateOrder(const RecordArray& records) {
    for (std::size_t i = 1; i < records.size(); ++i)
        if (records[i]->date < records[i - 1]->date) return false;
    return true;
}

inline void importTwice(const std::string& bytes) {
    MemoryFileSystem files;
    files.folders.insert("C:\\in");
    files.put("C:\\in\\plays", bytes);
    MemoryProfile profile;
    profile.writeInt(sectionGeneral(), "NoLarger", 0);
    QuietMessages messages;
    SystemClock systemClock;
    AppContext context{profile, messages, systemClock, files};
    CDoc doc(context);
    for (TimeValue date : {1033430400, 1100000000}) {
        doc.store().append(std::make_unique<CTrackRecord>("C:\\a.mp3", 100, date, 100));
        doc.records().back()->tag = CId3v1Tag("Artist", "Album", "Title", "", "", 1);
    }
    std::vector<const CTrackRecord*> before;
    for (const auto& r : doc.records()) before.push_back(r.get());

    ImportResult first = importPlays(doc, "C:\\in\\plays");
    if (!first.applied) {
        check(doc.records().size() == before.size() && doc.records()[0].get() == before[0] &&
              doc.records()[1].get() == before[1]);
        return;
    }
    check(doc.records().size() == before.size() + first.added);
    check(inDateOrder(doc.records()));
    ImportResult second = importPlays(doc, "C:\\in\\plays");
    check(second.applied && second.added + second.duplicates == first.added + first.duplicates &&
          second.added <= first.added);
    // The stored plays hold their texts in the code page: a listen whose texts it cannot hold is
    // never matched by the characters put in their place, so only plain ASCII texts are sure to
    // be found again.
    const bool plain = std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }) &&
                       bytes.find("\\u") == std::string::npos;
    if (plain) check(second.added == 0);
}

}  // namespace importfuzz
