#include "FileIO.h"

#include "RuntimeError.h"

#include <atomic>
#include <cerrno>
#include <chrono>
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
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

// Removes the temporary file unless the rename consumed it.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string path) : m_path(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (!m_path.empty()) ::unlink(m_path.c_str());
    }
    const std::string& path() const { return m_path; }
    void keep() { m_path.clear(); }

private:
    std::string m_path;
};

std::string temporaryNameFor(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    const std::string base = path.substr(path.find_last_of('/') + 1);
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    return parentOf(path) + "/." + base + ".tmp-" + std::to_string(::getpid()) + "-" +
           std::to_string(counter.fetch_add(1)) + "-" + std::to_string(stamp & 0xFFFFFF);
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

std::string readWholeFile(const std::string& path) {
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
        bytes.resize(static_cast<size_t>(st.st_size));
        size_t filled = 0;
        for (;;) {
            if (filled == bytes.size()) bytes.resize(bytes.size() + 65536); // the file grew since fstat
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

void replaceFileAtomically(const std::string& path, std::string_view bytes) {
    if (path.empty()) throw RuntimeError(err::BadFileName, "Bad file name or number: the file name is empty");
    if (path.back() == '/') throw describedError(err::PathFileAccess, path, "is a folder");

    struct stat target {};
    const bool exists = ::stat(path.c_str(), &target) == 0;
    if (exists && S_ISDIR(target.st_mode)) throw describedError(err::PathFileAccess, path, "is a folder");
    // A file marked read-only stays protected although the folder would allow replacing it.
    if (exists && ::access(path.c_str(), W_OK) != 0 && errno == EACCES) throw errorFor(EACCES, path);

    std::string tmpPath;
    int raw = -1;
    for (int attempt = 0; attempt < 100 && raw < 0; ++attempt) {
        tmpPath = temporaryNameFor(path);
        raw = ::open(tmpPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (raw < 0 && errno != EEXIST) break;
    }
    if (raw < 0) throw errorFor(errno, path);
    Descriptor fd(raw);
    TemporaryFile tmp(tmpPath);
    if (exists) ::fchmod(fd.get(), target.st_mode & 07777); // keep the old file's permissions; best effort

    size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd.get(), bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw errorFor(errno, path);
        }
        written += static_cast<size_t>(n);
    }
    if (::fdatasync(fd.get()) != 0) throw errorFor(errno, path);
    if (::close(fd.release()) != 0) throw errorFor(errno, path);
    if (::rename(tmp.path().c_str(), path.c_str()) != 0) throw errorFor(errno, path);
    tmp.keep();
}

} // namespace tvk::FileIO
