#include "AtomicFile.h"

#include "FileIO.h"
#include "RuntimeError.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tvk {

namespace {

std::string temporaryNameFor(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string base = path.substr(slash == std::string::npos ? 0 : slash + 1);
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    return (slash == std::string::npos ? "" : folder) + "." + base + ".tmp-" + std::to_string(::getpid()) + "-" +
           std::to_string(counter.fetch_add(1)) + "-" + std::to_string(stamp & 0xFFFFFF);
}

RuntimeError folderError(const std::string& path) {
    return RuntimeError(err::PathFileAccess,
                        RuntimeError::standardDescription(err::PathFileAccess) + ": '" + path + "' (is a folder)");
}

} // namespace

AtomicFile::AtomicFile(std::string path) : m_path(std::move(path)) {
    if (m_path.empty()) throw RuntimeError(err::BadFileName, "Bad file name or number: the file name is empty");
    if (m_path.back() == '/') throw folderError(m_path);

    struct stat target {};
    const bool exists = ::stat(m_path.c_str(), &target) == 0;
    if (exists && S_ISDIR(target.st_mode)) throw folderError(m_path);
    // A file marked read-only stays protected although its folder would allow replacing it.
    if (exists && ::access(m_path.c_str(), W_OK) != 0 && errno == EACCES) throw FileIO::errorFor(EACCES, m_path);

    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_tmpPath = temporaryNameFor(m_path);
        m_fd = ::open(m_tmpPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno != EEXIST) break;
    }
    if (m_fd < 0) {
        const int error = errno;
        m_tmpPath.clear();
        throw FileIO::errorFor(error, m_path);
    }
    if (exists) (void)::fchmod(m_fd, target.st_mode & 07777); // keep the old file's permissions; best effort
}

AtomicFile::~AtomicFile() {
    if (m_fd >= 0) ::close(m_fd);
    if (!m_tmpPath.empty()) ::unlink(m_tmpPath.c_str());
}

void AtomicFile::write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            throw FileIO::errorFor(errno, m_path);
        }
        bytes.remove_prefix(static_cast<size_t>(n));
        // Start the device write of this piece now, so the final data sync overlaps with writing
        // instead of waiting for everything at the end (a hint: failures show at the sync).
        (void)::sync_file_range(m_fd, m_written, n, SYNC_FILE_RANGE_WRITE);
        m_written += n;
    }
}

void AtomicFile::commit() {
    // The data reaches the device before the rename makes it the file, so a crash leaves either the
    // old content or the new, never an empty file.
    if (::fdatasync(m_fd) != 0) throw FileIO::errorFor(errno, m_path);
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0) throw FileIO::errorFor(errno, m_path);
    if (::rename(m_tmpPath.c_str(), m_path.c_str()) != 0) throw FileIO::errorFor(errno, m_path);
    m_tmpPath.clear();
}

} // namespace tvk
