#pragma once

#include <string>
#include <string_view>

namespace tvk {

class RuntimeError;

// Whole-file reads and atomic replacement, with operating-system errors mapped to the numbered file
// errors (53 file not found, 76 path not found, 70 permission denied, 61 disk full, 75 path/file
// access, 57 device I/O, 52 bad file name).
namespace FileIO {

// The whole content of a regular file, read with one buffered read.
std::string readWholeFile(const std::string& path);
// Writes `bytes` to a new file in the target's folder, flushes it to the device and renames it over
// `path`. On any failure the old file (if any) is untouched and the temporary file is removed.
void replaceFileAtomically(const std::string& path, std::string_view bytes);
// The file error for an errno value seen while working on `path`.
RuntimeError errorFor(int errnoValue, const std::string& path);

} // namespace FileIO
} // namespace tvk
