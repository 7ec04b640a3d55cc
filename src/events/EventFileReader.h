#pragma once

#include "EventFileState.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace tvk {

// Reads event files: little-endian header (capacity, count, flag), the filter text with no length
// field, the two mouse-move details, then 22-byte records for slots 0 .. capacity.
// Everything is checked before anything is returned; a damaged file raises runtime error 321
// ("Invalid file format") with a description naming the fault, and never allocates more than the
// file's own size justifies.
class EventFileReader {
public:
    // Decodes a whole file held in memory; `name` appears in error descriptions.
    static EventFileState parse(std::string_view bytes, const std::string& name = "event file");
    // Reads and decodes the file at `path`; file errors carry their usual numbers (53, 76, 70, ...).
    static EventFileState readFile(const std::string& path);
    // How parse() splits a file of capacity 0 (at least 18 bytes long): the byte length of its filter
    // text, and whether its last 22 bytes are the one stored slot.
    static std::pair<size_t, bool> delimitWithoutCapacity(std::string_view bytes);

private:
    // The header fields and where the parts of a file of `fileSize` bytes lie; for capacity 0 the text
    // length is found by delimitWithoutCapacity.
    struct Layout {
        int32_t capacity = 0;
        int32_t count = 0;
        int16_t enableProcessor = 0;
        size_t textLength = 0;
        bool hasBlock = false;
    };
    // Checks the header (its first 10 bytes) against the size; 321 for any fault, before any allocation.
    static Layout layoutOf(const unsigned char* head, uint64_t fileSize, const std::string& name);
    static void checkFixedFields(uint64_t fileSize, const std::string& name);
    static EventFileState stateOf(const Layout& layout, std::string_view rawText, const unsigned char* details);
    static void allocateSlots(EventFileState& state);
    // parse() and readFile() without turning a memory shortage into error 7.
    static EventFileState parseUnguarded(std::string_view bytes, const std::string& name);
    static EventFileState readFileUnguarded(const std::string& path);
};

} // namespace tvk
