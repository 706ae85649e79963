#include "exchange/JsonEvents.h"

#include <cstdlib>
#include <new>

#include <rapidjson/error/en.h>
#include <rapidjson/reader.h>

namespace {

// The library's handler, handing each event on to the reader at hand.
class Forwarder : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, Forwarder> {
public:
    explicit Forwarder(JsonEvents& events) : events_(events) {}
    bool Null() { return events_.Null(); }
    bool Bool(bool value) { return events_.Bool(value); }
    bool Int(int value) { return events_.Int(value); }
    bool Uint(unsigned value) { return events_.Uint(value); }
    bool Int64(std::int64_t value) { return events_.Int64(value); }
    bool Uint64(std::uint64_t value) { return events_.Uint64(value); }
    bool Double(double value) { return events_.Double(value); }
    bool String(const char* text, rapidjson::SizeType length, bool) { return events_.String(text, length); }
    bool StartObject() { return events_.StartObject(); }
    bool Key(const char* text, rapidjson::SizeType length, bool) { return events_.Key(text, length); }
    bool EndObject(rapidjson::SizeType) { return events_.EndObject(); }
    bool StartArray() { return events_.StartArray(); }
    bool EndArray(rapidjson::SizeType) { return events_.EndArray(); }

private:
    JsonEvents& events_;
};

// The parser's own stack goes through this: the library does not check what its allocator gives,
// so a failed allocation (a huge text under a memory limit) throws here instead of writing through
// a null pointer, and the caller reports the shortage.
class CheckedAllocator {
public:
    static const bool kNeedFree = true;
    void* Malloc(std::size_t size) {
        if (size == 0) return nullptr;
        void* memory = std::malloc(size);
        if (!memory) throw std::bad_alloc();
        return memory;
    }
    void* Realloc(void* original, std::size_t, std::size_t newSize) {
        if (newSize == 0) {
            std::free(original);
            return nullptr;
        }
        void* memory = std::realloc(original, newSize);
        if (!memory) throw std::bad_alloc();
        return memory;
    }
    static void Free(void* memory) { std::free(memory); }
};

// One set of flags, so one parser: it always stops after the value, and the check that nothing
// follows is made here, where the parser would have made it.
constexpr unsigned kFlags =
    rapidjson::kParseValidateEncodingFlag | rapidjson::kParseIterativeFlag | rapidjson::kParseStopWhenDoneFlag;

bool isJsonSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

JsonParseResult parseJson(JsonInput& input, JsonEvents& events, bool wholeText) {
    Forwarder forwarder(events);
    rapidjson::GenericReader<rapidjson::UTF8<>, rapidjson::UTF8<>, CheckedAllocator> reader;
    const rapidjson::ParseResult parsed = reader.Parse<kFlags>(input, forwarder);
    JsonParseResult result;
    rapidjson::ParseErrorCode code = parsed.Code();
    result.offset = parsed.Offset();
    if (!parsed.IsError() && wholeText) {
        while (isJsonSpace(input.Peek())) input.Take();
        if (input.Peek() != '\0') code = rapidjson::kParseErrorDocumentRootNotSingular, result.offset = input.Tell();
    }
    if (code != rapidjson::kParseErrorNone) {
        result.ok = false;
        result.reason = rapidjson::GetParseError_En(code);
    }
    return result;
}
