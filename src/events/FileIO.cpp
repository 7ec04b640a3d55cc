#include "FileIO.h"

#include "RuntimeError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

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
    return RuntimeError(number, RuntimeError::standardDescription(number) + ": '" + path + "' (" + detail + ")");
}

// Closes a descriptor on every path out of a scope; errors of close() are checked where they matter.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    int get() const { return m_fd; }

private:
    int m_fd;
};

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
    if (path.empty()) throw RuntimeError(err::BadFileName, "Bad file name or number: the file name is empty");
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is rejected below as not a regular file.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) throw errorFor(errno, path);
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) throw errorFor(errno, path);
    if (S_ISDIR(st.st_mode)) throw describedError(err::PathFileAccess, path, "is a folder");
    if (!S_ISREG(st.st_mode)) throw describedError(err::PathFileAccess, path, "not a regular file");

    std::string bytes;
    try {
        bytes.resize(std::min(static_cast<size_t>(st.st_size), maxBytes));
        size_t filled = 0;
        while (filled < maxBytes) {
            if (filled == bytes.size()) bytes.resize(std::min(bytes.size() + 65536, maxBytes)); // grew since fstat
            const ssize_t n = ::read(fd.get(), bytes.data() + filled, bytes.size() - filled);
            if (n < 0) {
                if (errno == EINTR) continue;
                throw errorFor(errno, path);
            }
            if (n == 0) break;
            filled += static_cast<size_t>(n);
        }
        bytes.resize(filled);
    } catch (const std::bad_alloc&) {
        throw RuntimeError(err::OutOfMemory, "Out of memory: reading '" + path + "'");
    }
    return bytes;
}

} // namespace tvk::FileIO
