#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tvk {

// Paths, folder listings and whole-file text input and output. Stateless.
// Both "/" and "\" separate path parts. Texts are UTF-8 in memory and Windows-1252 in files
// (a character the code page lacks is written as "?"). Failures are tvk::RuntimeError.
class clsFileOperation {
public:
    // Listing attribute bits.
    static constexpr std::int32_t Hidden = 2; // names starting with "."
    static constexpr std::int32_t System = 4; // entries that are neither files nor folders
    static constexpr std::int32_t Directory = 16;

    // `sFile` ending in a separator; appends the separator it already uses last, "/" when it has none
    // and "\" for empty text.
    static std::string ValidPath(const std::string& sFile);
    // The part after the last separator; all of `sFile` when it has none.
    static std::string GetFileName(const std::string& sFile);
    // The part up to and including the last separator; empty when it has none.
    static std::string GetFilePath(const std::string& sFile);
    // The part before the last "." of the whole text; 5 when there is none.
    static std::string GetNoExtension(const std::string& sFile);
    // The part after the last "." of the whole text; all of `sFile` when there is none.
    static std::string GetFileExtension(const std::string& sFile);

    // Full paths of the files in `sPath` whose names match the wildcard `sFileExtension`, in name order,
    // then (with `bSubFolders`) each dotless subfolder's list, depth first. A name without "." counts as a
    // folder, one with "." as a file. A missing folder lists nothing; an unreadable one raises 75.
    static std::vector<std::string> RetriveFileList(const std::string& sPath, const std::string& sFileExtension,
                                                    bool bSubFolders, std::int32_t Attributes = Directory);
    // Writes `Data` to `Path`, replacing the file or appending to it; creates the folder chain first.
    // 75 when the file cannot be written.
    static void SaveFile(const std::string& Path, const std::string& Data, bool Append);
    // `Lenght` bytes from 1-based byte `Index` (to the end when negative) as text; empty for a missing
    // file. A range past the end gives the bytes that exist. 63 for an `Index` below 1.
    static std::string LoadFile(const std::string& Path, std::int32_t Index = 1, std::int32_t Lenght = -1);
    // The first file whose name has a "." and matches `sExtension`, searching subfolders after the
    // folder itself when `bSearchTree`; empty text when none.
    static std::string FindFile(const std::string& Path, const std::string& sExtension = "*", bool bSearchTree = false);

    // Whether `name` matches the wildcard `pattern` as a whole: "*" any run, "?" one character, "#" one
    // digit, "[a-z]" one listed character, "[!a-z]" one character not listed; case counts. An unclosed
    // "[" raises 93.
    static bool MatchesPattern(const std::string& name, const std::string& pattern);
};

} // namespace tvk
