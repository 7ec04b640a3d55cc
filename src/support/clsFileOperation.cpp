#include "support/clsFileOperation.h"

#include "events/RuntimeError.h"
#include "events/TextCodec.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>

namespace fs = std::filesystem;

namespace tvk {
namespace {

bool isSeparator(char c) {
    return c == '/' || c == '\\';
}

std::size_t lastSeparator(const std::string& s) {
    return s.find_last_of("/\\");
}

// The file system's path for a text whose parts may be separated by "\" as well.
fs::path nativePath(const std::string& s) {
    std::string p = s;
    std::replace(p.begin(), p.end(), '\\', '/');
    return fs::path(p);
}

// UTF-8 text as Windows-1252 bytes; a character the code page lacks, or a byte that is not UTF-8, becomes "?".
std::string toCodePage(const std::string& text) {
    if (auto whole = TextCodec::utf8ToCp1252(text)) return *whole;
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t len = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        const auto one = TextCodec::utf8ToCp1252(std::string_view(text).substr(i, len));
        out += one ? *one : std::string("?");
        i += std::min(len, text.size() - i);
    }
    return out;
}

[[noreturn]] void accessError(const std::string& what, const std::string& path) {
    throw RuntimeError(err::PathFileAccess, "Path/File access error: " + what + " " + path);
}

// One folder's entry names that the attribute mask admits, in byte order of the names (a stable order
// whatever the file system's own). A missing folder, or a path that is not a folder, lists nothing.
std::vector<std::string> listFolder(const std::string& folder, std::int32_t attributes) {
    std::vector<std::string> names;
    const fs::path path = nativePath(folder);
    std::error_code ec;
    if (!fs::is_directory(path, ec)) return names;
    fs::directory_iterator it(path, ec);
    if (ec) accessError("cannot list", folder);
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        if (ec) accessError("cannot list", folder);
        const std::string name = it->path().filename().string();
        std::error_code sec;
        const auto status = it->status(sec);
        const bool isDir = fs::is_directory(status);
        const bool isFile = fs::is_regular_file(status);
        if (name.starts_with('.') && !(attributes & clsFileOperation::Hidden)) continue;
        if (isDir && !(attributes & clsFileOperation::Directory)) continue;
        if (!isDir && !isFile && !(attributes & clsFileOperation::System)) continue;
        names.push_back(name);
    }
    if (ec) accessError("cannot list", folder);
    std::sort(names.begin(), names.end());
    return names;
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(nativePath(path), ec);
}

// Folders already listed in one recursive call, so that a link back up the tree cannot loop forever.
using Visited = std::set<fs::path>;

bool firstVisit(Visited& visited, const std::string& folder) {
    std::error_code ec;
    const auto canonical = fs::canonical(nativePath(folder), ec);
    return ec || visited.insert(canonical).second;
}

void collectFiles(const std::string& sPath, const std::string& pattern, bool subFolders, std::int32_t attributes,
                  Visited& visited, std::vector<std::string>& result) {
    if (!firstVisit(visited, sPath)) return;
    const std::string base = clsFileOperation::ValidPath(sPath);
    std::vector<std::string> folders;
    for (const auto& name : listFolder(base, attributes)) {
        if (name.find('.') == std::string::npos) {
            folders.push_back(base + name);
        } else if (clsFileOperation::MatchesPattern(name, pattern)) {
            result.push_back(base + name);
        }
    }
    if (!subFolders) return;
    for (const auto& folder : folders)
        collectFiles(folder, pattern, true, attributes, visited, result);
}

std::string findIn(const std::string& path, const std::string& pattern, bool searchTree, Visited& visited) {
    if (!firstVisit(visited, path)) return {};
    const std::string base = clsFileOperation::ValidPath(path);
    std::vector<std::string> folders;
    for (const auto& name : listFolder(base, clsFileOperation::Directory)) {
        if (name.find('.') == std::string::npos) {
            folders.push_back(name);
        } else if (clsFileOperation::MatchesPattern(name, pattern)) {
            return base + name;
        }
    }
    if (!searchTree) return {};
    for (const auto& folder : folders) {
        auto found = findIn(base + folder, pattern, true, visited);
        if (!found.empty()) return found;
    }
    return {};
}

} // namespace

std::string clsFileOperation::ValidPath(const std::string& sFile) {
    if (sFile.empty()) return "\\";
    if (isSeparator(sFile.back())) return sFile;
    const auto last = lastSeparator(sFile);
    return sFile + (last == std::string::npos ? '/' : sFile[last]);
}

std::string clsFileOperation::GetFileName(const std::string& sFile) {
    const auto last = lastSeparator(sFile);
    return last == std::string::npos ? sFile : sFile.substr(last + 1);
}

std::string clsFileOperation::GetFilePath(const std::string& sFile) {
    const auto last = lastSeparator(sFile);
    return last == std::string::npos ? std::string() : sFile.substr(0, last + 1);
}

std::string clsFileOperation::GetNoExtension(const std::string& sFile) {
    const auto dot = sFile.rfind('.');
    if (dot == std::string::npos) throw RuntimeError(err::InvalidCall);
    return sFile.substr(0, dot);
}

std::string clsFileOperation::GetFileExtension(const std::string& sFile) {
    const auto dot = sFile.rfind('.');
    return dot == std::string::npos ? sFile : sFile.substr(dot + 1);
}

std::vector<std::string> clsFileOperation::RetriveFileList(const std::string& sPath, const std::string& sFileExtension,
                                                           bool bSubFolders, std::int32_t Attributes) {
    std::vector<std::string> result;
    Visited visited;
    collectFiles(sPath, sFileExtension, bSubFolders, Attributes, visited, result);
    return result;
}

std::string clsFileOperation::FindFile(const std::string& Path, const std::string& sExtension, bool bSearchTree) {
    Visited visited;
    return findIn(Path, sExtension, bSearchTree, visited);
}

void clsFileOperation::SaveFile(const std::string& Path, const std::string& Data, bool Append) {
    const fs::path target = nativePath(Path);
    std::error_code ec;
    if (fileExists(Path) && !Append && !fs::remove(target, ec)) accessError("cannot delete", Path);
    // An existing folder is no error; a folder that still is missing makes the open below fail.
    const std::string folder = GetFilePath(Path);
    if (!folder.empty()) fs::create_directories(nativePath(folder), ec);

    const std::string bytes = toCodePage(Data);
    std::ofstream out(target, std::ios::binary | std::ios::app);
    if (!out) accessError("cannot open", Path);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) accessError("cannot write", Path);
}

std::string clsFileOperation::LoadFile(const std::string& Path, std::int32_t Index, std::int32_t Lenght) {
    if (!fileExists(Path)) return {};
    std::ifstream in(nativePath(Path), std::ios::binary);
    if (!in) accessError("cannot open", Path);
    if (Lenght == 0) return {};
    if (Index < 1) throw RuntimeError(err::BadRecordNumber, "Bad record number");

    in.seekg(0, std::ios::end);
    const std::int64_t size = in.tellg();
    if (size < 0) accessError("cannot read", Path);
    const std::int64_t start = std::int64_t(Index) - 1;
    std::int64_t count = Lenght < 0 ? size - start : std::min<std::int64_t>(Lenght, size - start);
    if (count <= 0) return {};

    std::string bytes(static_cast<std::size_t>(count), '\0');
    in.seekg(start);
    in.read(bytes.data(), count);
    if (in.gcount() != count) accessError("cannot read", Path);
    return TextCodec::cp1252ToUtf8(bytes);
}

namespace {

// Decodes the code point at `i` of UTF-8 text, moving `i` past it; a stray byte stands for itself.
char32_t nextChar(const std::string& s, std::size_t& i) {
    const auto c = static_cast<unsigned char>(s[i]);
    std::size_t len = c < 0x80 ? 1 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    if (i + len > s.size()) len = 1;
    for (std::size_t k = 1; k < len; ++k) {
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) len = 1;
    }
    if (len == 1) {
        ++i;
        return c;
    }
    char32_t cp = c & (0x7F >> len);
    for (std::size_t k = 1; k < len; ++k)
        cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    i += len;
    return cp;
}

std::u32string decode(const std::string& s) {
    std::u32string out;
    for (std::size_t i = 0; i < s.size();)
        out += nextChar(s, i);
    return out;
}

// Matches one character against the bracket list starting after "[" at `p`; moves `p` past the "]".
bool matchList(const std::u32string& pat, std::size_t& p, char32_t c) {
    bool negate = false;
    if (p < pat.size() && pat[p] == U'!') {
        negate = true;
        ++p;
    }
    bool hit = false;
    bool first = true;
    while (p < pat.size() && (pat[p] != U']' || first)) {
        first = false;
        const char32_t lo = pat[p];
        if (p + 2 < pat.size() && pat[p + 1] == U'-' && pat[p + 2] != U']') {
            const char32_t hi = pat[p + 2];
            hit = hit || (lo <= c && c <= hi);
            p += 3;
        } else {
            hit = hit || lo == c;
            ++p;
        }
    }
    if (p >= pat.size()) throw RuntimeError(err::InvalidPatternString, "Invalid pattern string");
    ++p; // "]"
    return hit != negate;
}

// Matches one pattern element at `p` against `c`, moving `p` past the element.
bool matchOne(const std::u32string& pat, std::size_t& p, char32_t c) {
    const char32_t e = pat[p++];
    if (e == U'?') return true;
    if (e == U'#') return c >= U'0' && c <= U'9';
    if (e == U'[') return matchList(pat, p, c);
    return e == c;
}

} // namespace

bool clsFileOperation::MatchesPattern(const std::string& name, const std::string& pattern) {
    const std::u32string s = decode(name);
    const std::u32string pat = decode(pattern);
    // Every list must close, whether or not matching reaches it.
    for (std::size_t p = 0; p < pat.size();) {
        if (pat[p] == U'[') {
            matchOne(pat, p, 0);
        } else {
            ++p;
        }
    }
    // Greedy matching with one remembered star: linear backtracking, never exponential.
    std::size_t si = 0, pi = 0;
    std::size_t starP = std::u32string::npos, starS = 0;
    while (si < s.size()) {
        if (pi < pat.size() && pat[pi] == U'*') {
            starP = ++pi;
            starS = si;
            continue;
        }
        std::size_t next = pi;
        if (pi < pat.size() && matchOne(pat, next, s[si])) {
            pi = next;
            ++si;
            continue;
        }
        if (starP == std::u32string::npos) return false;
        pi = starP;
        si = ++starS;
    }
    while (pi < pat.size() && pat[pi] == U'*')
        ++pi;
    return pi == pat.size();
}

} // namespace tvk
