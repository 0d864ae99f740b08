// hahamdump, hadump, hachecklock and hafreelock: diagnostic dumps and the HA lock.
#include "haadm/dump_lock.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "haadm/commands.h"
#include "haadm/shell.h"
#include "platform/seams.h"

namespace haadm {
namespace {

constexpr const char* kSeparator = "---------------------------------------\n";

// ctime_r needs at least 26 bytes.
constexpr size_t kCtimeSize = 32;

// Flushed so that the banner stands before what the next shell command prints.
void write_banner()
{
    timeval now{};
    gettimeofday(&now, nullptr);
    char stamp[64];
    format_time_stamp(now, stamp, sizeof stamp);
    fputs(kSeparator, stdout);
    fputs(stamp, stdout);
    fputs(kSeparator, stdout);
    fflush(stdout);
}

// hadump's command lines name programs and files as CP paths, each %s being the
// platform's root; a line longer than this is not run at all.
constexpr size_t kDumpLineLimit = 4 * PATH_MAX + 128;
static_assert(kDumpLineLimit <= kShellLineMax);

}  // namespace

size_t format_time_stamp(const timeval& now, char* out, size_t size)
{
    const time_t secs = now.tv_sec;
    char text[kCtimeSize] = {};
    // "Www Mmm dd hh:mm:ss yyyy\n": the weekday and the year are left out.
    const char* middle = "";
    int length = 0;
    if (ctime_r(&secs, text) != nullptr && strlen(text) > 10) {
        middle = text + 4;
        length = static_cast<int>(strlen(text)) - 10;
    }
    const int n = snprintf(out, size, "TIME_STAMP: %.*s.%ld\n", length, middle,
                           static_cast<long>(now.tv_usec));
    return n < 0 ? 0 : static_cast<size_t>(n);
}

size_t format_lock_holder(const HaLockRecord& record, const char* time_text, char* out,
                          size_t size)
{
    // The lock service may fill cmd to its last byte without a NUL.
    const int n = snprintf(out, size, "Lock occupied: pid %d, trans %d, cmd %.*s, time %s\n",
                           record.pid, record.trans, static_cast<int>(sizeof record.cmd),
                           record.cmd, time_text == nullptr ? "" : time_text);
    return n < 0 ? 0 : static_cast<size_t>(n);
}

Outcome cmd_hahamdump(Run&)
{
    ham_device_request(getHAMFd(), kHamDumpState);
    return leave(0);
}

Outcome cmd_hadump(Run& run)
{
    if (run.argc > 1) {
        puts("Usage: hadump");
        return direct_exit(0);
    }
    const char* root = platform_root();
    write_banner();
    if (run.cp_slot != 0) {
        run_shell(kDumpLineLimit, "%s/tarny/cliexec/hashow;%s/tarny/cliexec/ipaddrshow;", root,
                  root);
    } else {
        run_shell(kDumpLineLimit, "%s/tarny/cliexec/ipaddrshow;", root);
    }
    write_banner();
    run_shell(kDumpLineLimit, "%s/bin/cat %s/proc/fss/*/*;", root, root);
    write_banner();
    run_shell(kDumpLineLimit, "%s/bin/cat %s/proc/fss/*.log", root, root);
    return leave(0);
}

Outcome cmd_hachecklock(Run&)
{
    HaLockRecord record{};
    if (ha_checklock(&record) != 0) {
        puts("Failed to get hasm lock status\r");
        return leave(0);
    }
    if (record.pid == 0) {
        puts("Lock is free");
        return leave(0);
    }
    const time_t taken = record.time;
    char when[kCtimeSize] = {};
    char line[256];
    format_lock_holder(record, ctime_r(&taken, when), line, sizeof line);
    fputs(line, stdout);
    return leave(0);
}

Outcome cmd_hafreelock(Run&)
{
    // The lock stays taken when the run ends; freeing it is left to the platform.
    if (ha_lock(0, 0, "hasmfreelock") != 0) {
        fputs("Failed to acquire the high availability lock.\n", stderr);
        return early_return(-1);
    }
    return leave(0);
}

}  // namespace haadm
