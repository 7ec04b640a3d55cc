#pragma once

#include "EventFileState.h"

#include <string>
#include <string_view>

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
};

} // namespace tvk
