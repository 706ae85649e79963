// Reads arbitrary bytes as the outbox file, then appends to it and reads it back: whatever the
// file held, the outbox written afterwards holds every listen read, and nothing damaged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/MemoryFileSystem.h"
#include "plugin/Outbox.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    MemoryFileSystem files;
    files.put("outbox", bytes);
    COutbox outbox(files, "outbox");
    outbox.load();
    const std::size_t read = outbox.waiting().size();
    outbox.append("{\"listened_at\":1,\"track_metadata\":{}}");
    const OutboxContent again = parseOutbox(*files.get("outbox"));
    if (again.damagedLines != 0 || again.waiting.size() != read + 1) std::abort();
    for (std::size_t i = 0; i < read; ++i)
        if (again.waiting[i].bytes != outbox.waiting()[i].bytes) std::abort();
    return 0;
}
