// hainfo: records why this CP is about to restart, reports the recorded reason after
// the restart, and shows the last reason the HA manager holds. The reboot commands
// run it as /sbin/hainfo.
#include <cstdio>
#include <cstring>
#include <ctime>

#include "haadm/commands.h"
#include "platform/ham.h"
#include "reboot/reboot.h"

namespace haadm {
namespace {

// Room for the reason record text and for the HA manager's last reason.
constexpr int kTextSize = 127;
static_assert(kTextSize >= kHamReasonSize);

// "word @ MMDDYYYY-HHMMSS" in local time; cut to 126 characters.
void format_reason(char (&text)[kTextSize], const char* word)
{
    char stamp[32] = {};
    const time_t now = time(nullptr);
    const tm* local = localtime(&now);
    if (local != nullptr) {
        strftime(stamp, sizeof stamp, "%m%d%Y-%H%M%S", local);
    }
    snprintf(text, sizeof text, "%s @ %s", word, stamp);
}

}  // namespace

Outcome cmd_hainfo(Run& run)
{
    const int words = run.argc - 1;
    if (words != 1 && words != 2) {
        return direct_exit(-1);
    }
    const char* sub = run.argv[1];
    char text[kTextSize] = {};
    if (strcmp(sub, "RebootReason") == 0 && words == 2) {
        format_reason(text, run.argv[2]);
        // A reason recorded earlier wins; that is no failure of this run.
        reboot_reason_set(text);
        return leave(0);
    }
    if (strcmp(sub, "show") == 0 && words == 1) {
        // The buffer stays empty when the manager does not fill it.
        ham_get_rb_reason(text);
        text[kTextSize - 1] = '\0';
        printf("Last Reboot Reason:[%s]\n", text);
        return leave(0);
    }
    if (strcmp(sub, "init") == 0 && words == 1) {
        report_reboot_reason();
        return leave(0);
    }
    return direct_exit(-1);
}

}  // namespace haadm
