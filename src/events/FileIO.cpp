#include "FileIO.h"

#include "FileReader.h"
#include "RuntimeError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>
#include <sys/stat.h>

namespace tvk::FileIO {

namespace {

std::string parentOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool isDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

RuntimeError describedError(int number, const std::string& path, const char* detail) {
    return RuntimeError(number, std::string(err::describe(number)) + ": '" + path + "' (" + detail + ")");
}

} // namespace

RuntimeError errorFor(int errnoValue, const std::string& path) {
    int number = err::DeviceIO;
    switch (errnoValue) {
    case ENOENT:
        number = isDirectory(parentOf(path)) ? err::FileNotFound : err::PathNotFound;
        break;
    case ENOTDIR:
        number = err::PathNotFound;
        break;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
        number = err::PermissionDenied;
        break;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
        number = err::DiskFull;
        break;
    case EISDIR:
    case ELOOP:
    case EBUSY:
    case EMFILE:
    case ENFILE:
        number = err::PathFileAccess;
        break;
    case ENAMETOOLONG:
    case EINVAL:
        number = err::BadFileName;
        break;
    default:
        number = err::DeviceIO;
        break;
    }
    return describedError(number, path, std::strerror(errnoValue));
}

std::string readWholeFile(const std::string& path, size_t maxBytes) {
    FileReader file(path);
    std::string bytes;
    try {
        bytes.resize(static_cast<size_t>(std::min<uint64_t>(file.size(), maxBytes)));
        size_t filled = file.read(bytes.data(), bytes.size());
        // The file may have grown since it was opened.
        while (filled == bytes.size() && filled < maxBytes) {
            bytes.resize(std::min(bytes.size() + 65536, maxBytes));
            filled += file.read(bytes.data() + filled, bytes.size() - filled);
        }
        bytes.resize(filled);
    } catch (const std::bad_alloc&) {
        throw RuntimeError(err::OutOfMemory, "Out of memory: reading '" + path + "'");
    }
    return bytes;
}

} // namespace tvk::FileIO
