#pragma once

#include <string>

namespace tvk {

class RuntimeError;

// Whole-file reads, with operating-system errors mapped to the numbered file
// errors (53 file not found, 76 path not found, 70 permission denied, 61 disk full, 75 path/file
// access, 57 device I/O, 52 bad file name).
namespace FileIO {

// The whole content of a regular file, read with one buffered read.
std::string readWholeFile(const std::string& path);
// The file error for an errno value seen while working on `path`.
RuntimeError errorFor(int errnoValue, const std::string& path);

} // namespace FileIO
} // namespace tvk
