// The reboot reason store. The reboot reason file keeps the first reason recorded
// before a restart; after the restart the reason is reported once and the files are
// emptied for the next one.
#include "reboot/reboot.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "haadm/safe_file.h"
#include "platform/ham.h"
#include "platform/rasevt.h"
#include "platform/seams.h"
#include "platform/syscon.h"

namespace reboot {
namespace {

constexpr int kPathSize = PATH_MAX;
constexpr const char* kSilentReboot = "OCP or Silent Reboot";
constexpr const char* kReset = "Reset";

using ReasonBuffer = char[kReasonSize];
using PathBuffer = char[kPathSize];

// The file's path under the platform's root; false when it does not fit.
bool rooted(PathBuffer& out, const char* path)
{
    const int n = snprintf(out, sizeof out, "%s%s", platform_root(), path);
    return n > 0 && n < kPathSize;
}

bool begins_with_reset(const ReasonBuffer& reason) { return strncmp(reason, kReset, 5) == 0; }

// Up to 63 characters, stopping at the end of the file or at a NUL byte.
int read_stream(FILE* in, ReasonBuffer& buffer)
{
    int n = 0;
    while (n < kReasonSize - 1) {
        const int c = getc(in);
        if (c == EOF || c == '\0') {
            break;
        }
        buffer[n++] = static_cast<char>(c);
    }
    buffer[n] = '\0';
    return n;
}

// The alternative file lies in a directory every local user can write.
bool in_shared_directory(const char* path) { return strncmp(path, "/tmp/", 5) == 0; }

// Whether a reason file is there: only a regular file counts, as only one is read.
bool is_reason_file(const char* rooted_path, const char* path)
{
    const haadm::OpenedFile opened =
        haadm::open_regular(rooted_path, O_RDONLY, in_shared_directory(path));
    if (opened.fd < 0) {
        return false;
    }
    close(opened.fd);
    return true;
}

// A file that cannot be opened reads as empty; so does anything but a regular file
// (a symbolic link is not followed, a FIFO or a device is not waited on).
int reboot_reason_read(const char* path, ReasonBuffer& buffer)
{
    buffer[0] = '\0';
    PathBuffer file;
    if (!rooted(file, path)) {
        return 0;
    }
    const haadm::OpenedFile opened = haadm::open_regular(file, O_RDONLY, in_shared_directory(path));
    if (opened.fd < 0) {
        return 0;
    }
    FILE* in = fdopen(opened.fd, "r");
    if (in == nullptr) {
        close(opened.fd);
        return 0;
    }
    const int n = read_stream(in, buffer);
    fclose(in);
    return n;
}

// Leaves an empty regular file at path; a failure is of no consequence.
void empty_file(const char* path)
{
    PathBuffer file;
    if (rooted(file, path)) {
        haadm::empty_regular(file);
    }
}

// A stream of its own on the locked descriptor, so that closing it keeps the lock.
FILE* stream_on(int fd, const char* mode)
{
    const int copy = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) {
        return nullptr;
    }
    FILE* stream = fdopen(copy, mode);
    if (stream == nullptr) {
        close(copy);
    }
    return stream;
}

// True only when the file could be read and holds no reason; what cannot be read is
// not overwritten.
bool holds_no_reason(int fd)
{
    FILE* in = stream_on(fd, "r");
    if (in == nullptr) {
        return false;
    }
    ReasonBuffer current = {};
    const int n = read_stream(in, current);
    const bool failed = ferror(in) != 0;
    fclose(in);
    return n == 0 && !failed;
}

// Replaces the file's content by reason and brings it to the disk. A reason that did
// not get there whole is taken out again, so that the file stays empty.
bool write_reason(int fd, const char* reason)
{
    if (ftruncate(fd, 0) != 0 || lseek(fd, 0, SEEK_SET) != 0) {
        return false;
    }
    FILE* out = stream_on(fd, "w");
    if (out == nullptr) {
        return false;
    }
    bool written = fputs(reason, out) != EOF && fflush(out) == 0 && fsync(fileno(out)) == 0;
    written = fclose(out) == 0 && written;
    if (!written) {
        const bool emptied = ftruncate(fd, 0) == 0;
        (void)emptied;  // nothing more can be done about it
    }
    return written;
}

// The file is readable by everyone, and so anyone can lock it: the lock is waited on for
// a bounded time (about two seconds), after which the reason is not written, as when the
// file cannot be opened.
bool lock_bounded(int fd)
{
    const struct timespec pause = {0, 50000000L};
    for (int tries = 0; tries < 40; ++tries) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
            return true;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return false;
        }
        nanosleep(&pause, nullptr);
    }
    return false;
}

}  // namespace
}  // namespace reboot

using namespace reboot;

extern "C" {

int reboot_reason_set(const char* reason)
{
    PathBuffer file;
    if (reason == nullptr || !rooted(file, kReasonFile)) {
        return -1;
    }
    // Test and write under one exclusive lock: of several recorders racing on an empty
    // file exactly one writes, and the first reason is never lost.
    // Only a regular file is written: never through a symbolic link, never a FIFO.
    const int fd = haadm::open_regular(file, O_RDWR | O_CREAT, false).fd;
    if (fd < 0) {
        return -1;
    }
    const bool written = lock_bounded(fd) && holds_no_reason(fd) && write_reason(fd, reason);
    close(fd);
    if (!written) {
        return -1;
    }
    notifyHAM(kHamNotifyRebootReason);
    return 0;
}

void report_reboot_reason(void)
{
    ReasonBuffer reason;
    reboot_reason_read(kReasonFile, reason);
    PathBuffer alt;
    // "Reset" is what the platform leaves for a reset it did itself; the alternative
    // file then says more, when there is one.
    if (rooted(alt, kAltReasonFile) && is_reason_file(alt, kAltReasonFile) &&
        begins_with_reset(reason)) {
        reboot_reason_read(kAltReasonFile, reason);
    }
    if (reason[0] == '\0') {
        reboot_reason_read(kSecondaryReasonFile, reason);
    }

    RasEvtHandle handle{};
    if (is_on_cocpu() == 0) {
        if (begins_with_reset(reason)) {
            snprintf(reason, sizeof reason, "%s", kSilentReboot);
        }
        rasevt_gethndl_internal(&handle);
        rasevt_log2("reboot", "report_reboot_reason", 122, "QMZ", handle, 0, 0, kEvtRebootReason,
                    reason[0] != '\0' ? reason : kSilentReboot);
    } else {
        rasevt_gethndl_internal(&handle);
        rasevt_log2("reboot", "report_reboot_reason", 114, "QMZ", handle, 0, 0,
                    kEvtCocpuRebootReason, reason[0] != '\0' ? reason : kReset);
    }
    // The manager gets the text as read, also when it is empty.
    ham_set_reboot_reason(reason);
    pd_init();
    empty_file(kReasonFile);
    empty_file(kSecondaryReasonFile);
}

void ham_set_reboot_reason(const char* reason)
{
    RebootReasonRequest request;
    memset(&request, 0, sizeof request);
    if (reason != nullptr) {
        strncpy(request.reason, reason, sizeof request.reason);
    }
    request.reason[sizeof request.reason - 1] = '\0';
    ham_device_request_ptr(getHAMFd(), kHamSetRebootReason, &request);
}

}  // extern "C"
