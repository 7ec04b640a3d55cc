#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tvk {

class RuntimeError;

// Whole-file reads, with operating-system errors mapped to the numbered file
// errors (53 file not found, 76 path not found, 70 permission denied, 61 disk full, 75 path/file
// access, 57 device I/O, 52 bad file name).
namespace FileIO {

// The content of a regular file, read with one buffered read: all of it, or its first `maxBytes` bytes
// when it is longer (callers that refuse larger files pass their limit plus one).
std::string readWholeFile(const std::string& path, size_t maxBytes = SIZE_MAX);
// The file error for an errno value seen while working on `path`.
RuntimeError errorFor(int errnoValue, const std::string& path);

} // namespace FileIO
} // namespace tvk
