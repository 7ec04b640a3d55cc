#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

namespace tvk {

// Replaces a file atomically: writes go to a new file in the target's folder, commit() flushes it to
// the device and renames it over the target. Until commit() succeeds the old file is untouched, and a
// writer destroyed without a successful commit removes its temporary file. Errors are the numbered
// file errors of FileIO::errorFor.
class AtomicFile {
public:
    // Creates the temporary file; fails when the target is a folder, is read-only or its folder is
    // missing or closed.
    explicit AtomicFile(std::string path);
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();

    // Appends bytes (one system call for the whole buffer, repeated only for partial writes).
    void write(std::string_view bytes);
    // Flushes, closes and renames over the target.
    void commit();

private:
    std::string m_path;
    std::string m_tmpPath;
    int m_fd = -1;
    off_t m_written = 0; // bytes written so far
};

} // namespace tvk
