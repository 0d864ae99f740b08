// swdadmin, hasmshutdown/hasmrestart and platformyield: one request to a platform
// service each. None prints anything; every run ends by the common exit with 0.
#include <climits>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "haadm/commands.h"
#include "platform/ham.h"
#include "platform/ls.h"
#include "platform/seams.h"
#include "platform/swd.h"

namespace haadm {
namespace {

// The switch number's text after the ':', at most 15 characters.
constexpr size_t kNumberTextSize = 16;

}  // namespace

Outcome cmd_swdadmin(Run& run)
{
    if (run.argc != 2) {
        return leave(0);
    }
    const char* word = run.argv[1];
    swd_init();
    if (strcasecmp(word, "enable") == 0) {
        swd_enable();
    } else if (strcasecmp(word, "disable") == 0 || strcasecmp(word, "shutdown") == 0) {
        swd_disable();
    } else if (strcasecmp(word, "suppress") == 0) {
        swd_suppress();
    }
    swd_exit();
    return leave(0);
}

// hasmshutdown head:number [text] and hasmrestart head:number [text].
Outcome cmd_hasmshutdown(Run& run)
{
    char control[kControlTextSize] = {};
    char number[kNumberTextSize] = {};
    if (run.argc < 2) {
        return leave(0);
    }
    char* colon = strchr(run.argv[1], ':');
    if (colon != nullptr) {
        *colon = '\0';
        strncpy(number, colon + 1, sizeof number - 1);
    }
    if (run.argc > 2) {
        strncpy(control, run.argv[2], sizeof control - 1);
    }
    // Clamped to the range of int, as a 32-bit long clamps it on the CP.
    long value = strtol(number, nullptr, 10);
    if (value > INT_MAX) {
        value = INT_MAX;
    } else if (value < INT_MIN) {
        value = INT_MIN;
    }
    const int sw = static_cast<int>(value);
    if (strstr(run.name, "hasmshutdown") != nullptr) {
        ls_shutdown(sw, control);
    } else {
        ls_restart(sw, control);
    }
    return leave(0);
}

Outcome cmd_platformyield(Run&)
{
    ham_device_request(ham_get_fd(), kHamYield);
    return leave(0);
}

}  // namespace haadm
