// Opening, reading and writing the chassis's files: never on a standard stream's
// descriptor, never into something that is not a regular file.
#include "sim/store/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "sim/store/escape.h"

namespace sim {

std::string read_file(const std::string& path)
{
    const int fd = open_own(path, O_RDONLY);
    if (fd < 0) {
        fatal("cannot read " + path + ": " + strerror(errno));
    }
    std::string text;
    if (!read_all(fd, text)) {
        fatal("cannot read " + path + ": " + strerror(errno));
    }
    close(fd);
    return text;
}

// Writes all of text to fd; false with errno set when it could not.
bool write_all(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = EIO;
            }
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

int open_file(const std::string& path, int flags, mode_t mode)
{
    const int fd = open(path.c_str(), flags | O_CLOEXEC, mode);
    if (fd < 0 || fd > 2) {
        return fd;
    }
    // The standard streams stay what the process was given, also when they are closed.
    const int high = fcntl(fd, F_DUPFD_CLOEXEC, 3);
    const int error = errno;
    close(fd);
    errno = error;
    return high;
}

bool read_all(int fd, std::string& text, size_t limit)
{
    char buffer[65536];
    while (text.size() <= limit) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return false;
        }
        if (n == 0) {
            return true;
        }
        text.append(buffer, static_cast<size_t>(n));
    }
    return true;
}

int open_own(const std::string& path, int flags, mode_t mode, struct stat* info)
{
    const int fd = open_file(path, flags | O_NONBLOCK, mode);
    if (fd < 0 && (errno == ENXIO || errno == EISDIR)) {  // a FIFO with no reader, a directory
        fatal("cannot use " + path + ": it is not a regular file");
    }
    if (fd < 0) {
        return fd;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        fatal("cannot use " + path + ": it is not a regular file");
    }
    // The status flags are the ones asked for (F_SETFL keeps the access mode and
    // ignores the creation flags).
    fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (info != nullptr) {
        *info = st;
    }
    return fd;
}

}  // namespace sim
