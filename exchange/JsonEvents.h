// One JSON value read as a stream of events, through the JSON library's reader. Every reader of
// JSON in the product (the import of listens, the listens and answers of a listen server) handles
// these events, so the library's parser is made once for all of them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

// What a reader does with each value; returning false stops the parse.
class JsonEvents {
public:
    virtual bool Null() = 0;
    virtual bool Bool(bool value) = 0;
    virtual bool Int(int value) = 0;
    virtual bool Uint(unsigned value) = 0;
    virtual bool Int64(std::int64_t value) = 0;
    virtual bool Uint64(std::uint64_t value) = 0;
    virtual bool Double(double value) = 0;
    virtual bool String(const char* text, std::size_t length) = 0;
    virtual bool StartObject() = 0;
    virtual bool Key(const char* text, std::size_t length) = 0;
    virtual bool EndObject() = 0;
    virtual bool StartArray() = 0;
    virtual bool EndArray() = 0;

protected:
    ~JsonEvents() = default;
};

// The parser's input: a view of bytes. Past the end it reads 0, as the parser expects; a 0 byte
// inside the bytes therefore ends the text the parser sees.
class JsonInput {
public:
    using Ch = char;
    explicit JsonInput(std::string_view bytes) : begin_(bytes.data()), at_(begin_), end_(begin_ + bytes.size()) {}
    Ch Peek() const { return at_ < end_ ? *at_ : '\0'; }
    Ch Take() { return at_ < end_ ? *at_++ : '\0'; }
    // Bytes read so far.
    std::size_t Tell() const { return static_cast<std::size_t>(at_ - begin_); }
    // Only reading is ever done.
    Ch* PutBegin() { return nullptr; }
    void Put(Ch) {}
    void Flush() {}
    std::size_t PutEnd(Ch*) { return 0; }

private:
    const char* begin_;
    const char* at_;
    const char* end_;
};

struct JsonParseResult {
    bool ok = true;
    std::size_t offset = 0;      // where the text is broken
    const char* reason = "";     // why, in the library's English words
};

// Reads one value from the input: well-formed UTF-8 only, without recursion (any depth of nesting
// is safe), the parser's own stack through an allocator that throws std::bad_alloc when memory runs
// out. With `wholeText`, only white space (or a 0 byte) may follow the value; without, the input
// stops just past it.
JsonParseResult parseJson(JsonInput& input, JsonEvents& events, bool wholeText);
