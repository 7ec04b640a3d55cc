#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tvk {

class clsEvents;

// Writes event files in the layout EventFileReader reads. The filter text is written in Windows-1252
// when that code page holds every character, and otherwise as UTF-8 behind the byte order mark EF BB BF.
class EventFileWriter {
public:
    // The file's bytes. Raises error 9 when EventCount is negative or above the slots the file would
    // hold, a state no reader could load back.
    static std::string serialize(const clsEvents& events);
    // Produces the file's bytes in pieces of bounded size, after the same check as serialize(). Raises
    // error 5 for a list without events whose filter text the reader could not delimit (it holds NUL).
    static void writeTo(const clsEvents& events, const std::function<void(std::string_view)>& sink);
    // Writes the file atomically: the old file at `path` stays intact when anything fails.
    static void writeFile(const std::string& path, const clsEvents& events);

private:
    // The file's parts in order, with the filter text already encoded.
    static void writeParts(const clsEvents& events, const std::string& text,
                           const std::function<void(std::string_view)>& sink);
};

} // namespace tvk
