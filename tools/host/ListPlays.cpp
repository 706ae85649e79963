// ListPlays.exe: prints what a Playtally database file holds, the ranked plays and the log of
// plays, as aligned text. A project tool beside the stand-in player (not part of the plug-in).
//
//   ListPlays.exe <database file>
// Exit codes: 0 listed, 1 the file is missing, unreadable or not a database, 2 bad command line.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <exception>
#include <iostream>

#include "tools/host/PlayListing.h"

int main(int argc, char** argv) {
    // Plain "\n" line ends, so that the listing reads the same on every system.
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc != 2) {
        std::cerr << "usage: ListPlays.exe <database file>\n";
        return 2;
    }
    try {
        const int code = writePlayListing(argv[1], std::cout, std::cerr);
        std::cout.flush();
        return code;
    } catch (const std::exception& e) {
        std::cerr << "ListPlays: failed: " << e.what() << "\n";
    } catch (...) {
        std::cerr << "ListPlays: failed\n";
    }
    return kListingFailed;
}
