#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tvk {

// A regular file open for reading in order. Opening never waits (a FIFO is refused, not waited on);
// errors are the numbered file errors of FileIO::errorFor (53, 76, 70, 75 for a folder or a device).
class FileReader {
public:
    explicit FileReader(const std::string& path);
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;
    ~FileReader();

    // The file's size when it was opened.
    uint64_t size() const { return m_size; }
    // Fills `data` with the next `length` bytes; fewer only at the end of the file. Returns the count.
    size_t read(char* data, size_t length);
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
    int m_fd = -1;
    uint64_t m_size = 0;
};

} // namespace tvk
