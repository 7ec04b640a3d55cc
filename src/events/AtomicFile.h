#pragma once

#include <string>
#include <string_view>
#include <sys/types.h>

namespace tvk {

// Replaces a file atomically: writes go to a new file in the target's folder, commit() flushes it to
// the device and renames it over the target. Until commit() succeeds the old file is untouched, and no
// file but the target is left behind: the new file has no name until commit() (where the system offers
// unnamed files), a writer destroyed without a successful commit removes it, and temporary files left
// by processes that died mid-save are removed by the next save into the folder.
// A target that is a symbolic link stays one: the file it finally names is replaced. The new file
// keeps the replaced file's permissions (and owner and group where the process may set them); a new
// target gets the mode the umask allows. Errors are the numbered file errors of FileIO::errorFor.
class AtomicFile {
public:
    enum class Temporary { Unnamed, Named };

    // Creates the temporary file; fails when the target is a folder, is read-only or its folder is
    // missing or closed. `Named` forces a named temporary file, as on file systems without unnamed ones.
    explicit AtomicFile(std::string path, Temporary temporary = Temporary::Unnamed);
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();

    // Appends bytes (one system call for the whole buffer, repeated only for partial writes).
    void write(std::string_view bytes);
    // Flushes, closes and renames over the target.
    void commit();

    // The file a save to `path` replaces: `path` with symbolic links of its last component followed.
    static std::string finalTarget(const std::string& path);
    // Removes the temporary files of saves to `target` whose process no longer runs.
    static void removeStaleTemporaries(const std::string& target);

private:
    void openNamed();

    std::string m_path;    // as given, for error texts
    std::string m_target;  // the file replaced
    std::string m_tmpPath; // the named temporary file, empty while it has no name
    int m_fd = -1;
    off_t m_written = 0; // bytes written so far
};

} // namespace tvk
