// Files at fixed names: opened only as regular files, never through a symbolic link,
// never blocking on a FIFO or a device.
#include "haadm/safe_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace haadm {
namespace {

constexpr int kSafeFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;

FileRefusal refusal_of(const struct stat& st, bool shared)
{
    if (S_ISLNK(st.st_mode)) {
        return FileRefusal::symlink;
    }
    if (!S_ISREG(st.st_mode)) {
        return FileRefusal::not_regular;
    }
    if (shared && st.st_uid != geteuid()) {
        return FileRefusal::not_owned;
    }
    if (shared && st.st_nlink != 1) {
        return FileRefusal::linked;
    }
    return FileRefusal::none;
}

}  // namespace

OpenedFile open_regular(const char* path, int access, bool shared)
{
    // What is not a regular file is not opened at all: opening a device can act on it.
    // The check on the descriptor catches a name swapped in between.
    struct stat st {};
    if (lstat(path, &st) == 0) {
        const FileRefusal why = refusal_of(st, shared);
        if (why != FileRefusal::none) {
            return {-1, why};
        }
    } else if (errno != ENOENT || (access & O_CREAT) == 0) {
        return {-1, FileRefusal::missing};
    }
    const int fd = open(path, access | kSafeFlags, 0666);
    if (fd < 0) {
        return {-1, errno == ELOOP ? FileRefusal::symlink : FileRefusal::missing};
    }
    FileRefusal why = FileRefusal::not_regular;
    if (fstat(fd, &st) == 0) {
        why = refusal_of(st, shared);
    }
    if (why != FileRefusal::none) {
        close(fd);
        return {-1, why};
    }
    // Reads and writes of a regular file do not block anyway; drop the flag all the same.
    const int flags = fcntl(fd, F_GETFL);
    if (flags >= 0) {
        fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    }
    return {fd, FileRefusal::none};
}

const char* refusal_text(FileRefusal why)
{
    switch (why) {
    case FileRefusal::none:
        return "a regular file";
    case FileRefusal::missing:
        return "missing or unreadable";
    case FileRefusal::symlink:
        return "a symbolic link";
    case FileRefusal::not_regular:
        return "not a regular file";
    case FileRefusal::not_owned:
        return "owned by another user";
    case FileRefusal::linked:
        return "linked to another name";
    }
    return "refused";
}

void empty_regular(const char* path)
{
    OpenedFile file = open_regular(path, O_WRONLY | O_CREAT, false);
    if (file.why == FileRefusal::symlink || file.why == FileRefusal::not_regular) {
        // unlink takes the link or node itself away; a directory stays.
        if (unlink(path) == 0) {
            const int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | kSafeFlags, 0666);
            if (fd >= 0) {
                close(fd);
            }
        }
        return;
    }
    if (file.fd >= 0) {
        const int rc = ftruncate(file.fd, 0);
        (void)rc;  // a failure to empty is of no consequence, as a failure to open
        close(file.fd);
    }
}

}  // namespace haadm
