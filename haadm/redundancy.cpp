// haredundancy: the HA redundancy statistics, current and previous active session.
#include <getopt.h>

#include <cstdio>
#include <cstring>

#include "haadm/commands.h"
#include "haadm/format_time.h"
#include "platform/ham.h"
#include "platform/hasm.h"
#include "platform/rbac.h"

namespace haadm {
namespace {

// The access control check names the command, whatever argv[0] is.
constexpr const char* kCommand = "haredundancy";
constexpr const char* kUsage =
    "haredundancy --show | --help\n"
    "Options: --show  Show the HA redundancy statistics\n"
    "         --help  Display the command usage";

constexpr const char* kStartTime = "Start Time: ";

constexpr int kOptShow = 1;
constexpr int kOptHelp = 2;

// Every ending after a successful rbac_init closes the library first.
Outcome close_and_leave(int status)
{
    rbac_close();
    return leave(status);
}

Outcome invalid_option()
{
    puts("Invalid option");
    puts(kUsage);
    return close_and_leave(-1);
}

void print_time_line(const char* label, uint32_t value)
{
    const time_t t = value;
    char text[kTimeTextSize];
    format_time(&t, text, sizeof text);
    printf("%s%s\n", label, text);
}

// Which CP a slot is, seen from this CP.
const char* side(int this_slot, int slot) { return this_slot == slot ? "Local" : "Remote"; }

void print_recovery(int32_t flags)
{
    if ((flags & kSessionUnexpectedRecovered) != 0) {
        fputs(", Unexpected Recovered", stdout);
    }
    if ((flags & kSessionExpectedRecovered) != 0) {
        fputs(", Expected Recovered", stdout);
    }
}

Outcome show_statistics()
{
    const int word = ham_get_state();
    if (word < 0) {
        return close_and_leave(-1);
    }
    const auto state = static_cast<uint32_t>(word);
    const bool active = (state & kHaActive) != 0;

    // Cleared so that a read that fails shows as no session.
    HaSession current{};
    HaSession previous{};
    int active_slot = 0;
    int standby_slot = 0;
    int active_num = 0;
    int standby_num = 0;
    if (active) {
        active_slot = getThisCPSlot();
        standby_slot = getPeerCPSlot();
        has_get_hsess(kSessionLocal, &current);
        has_get_hsess(kSessionRemote, &previous);
        active_num = getThisCPNum();
        standby_num = active_num == 0 ? 1 : 0;
    } else {
        standby_slot = getThisCPSlot();
        active_slot = getPeerCPSlot();
        has_get_hsess(kSessionRemote, &current);
        standby_num = getThisCPNum();
        active_num = standby_num == 0 ? 1 : 0;
    }
    const int this_slot = getThisCPSlot();

    puts("=== HA Redundancy Statistics ===");
    if (this_slot == 0) {
        puts("Not supported on this platform");
        current.ch = current.up;
    } else if ((state & kHaRedundant) == 0 || current.fl == 0) {
        puts("Non-redundant");
        if (current.ch == 0) {
            current.ch = current.up;
        }
    } else {
        puts((state & kHaSynchronized) != 0 ? "HA State synchronized" : "HA State not in sync");
        puts("Current Active Session:");
        printf("Active Slot = CP%d (%s)", active_num, side(this_slot, active_slot));
        print_recovery(current.fl);
        printf("\nStandby Slot = CP%d (%s)\n", standby_num, side(this_slot, standby_slot));
        if (current.sy != 0) {
            print_time_line(kStartTime, current.sy);
        }
        const int32_t recovered = kSessionUnexpectedRecovered | kSessionExpectedRecovered;
        if (active && (previous.fl & recovered) != 0) {
            // The CPs swapped roles when the previous session ended.
            puts("\nPrevious Active Session:");
            printf("Active Slot = CP%d", standby_num);
            print_recovery(previous.fl);
            printf("\nStandby Slot = CP%d\n", active_num);
            if (previous.sy != 0) {
                print_time_line(kStartTime, previous.sy);
            }
            if (current.ac != 0) {
                print_time_line("End Time: ", current.ac);
            }
        }
    }
    if (current.fl != 0) {
        print_time_line("\nSystem Uptime: ", current.ch);
    }
    return close_and_leave(0);
}

}  // namespace

size_t format_time(const time_t* time, char* text, size_t size)
{
    memset(text, 0, size);
    tm local{};
    if (localtime_r(time, &local) == nullptr) {
        return 0;
    }
    const size_t n = strftime(text, size, "%H:%M:%S %Z %a %b %d %Y", &local);
    if (n == 0) {
        memset(text, 0, size);  // strftime leaves a text that does not fit half written
    }
    return n;
}

Outcome cmd_haredundancy(Run& run)
{
    const int rc = rbac_init(2);
    if (rc != 0) {
        printf("rbac_init returns %d\n", rc);
        return early_return(-1);
    }
    if (run.argc != 2) {
        return invalid_option();
    }
    // Built where it is used, as parse_force_help's (guards.cpp).
    const option options[] = {
        {"show", no_argument, nullptr, kOptShow},
        {"help", no_argument, nullptr, kOptHelp},
        {nullptr, 0, nullptr, 0},
    };
    // Stays -1 unless a long option was recognised, as it is for a plain word.
    int index = -1;
    for (;;) {
        const int opt = getopt_long(run.argc, run.argv, "", options, &index);
        if (opt == -1) {
            break;
        }
        if (opt != kOptShow && opt != kOptHelp) {
            return invalid_option();
        }
        const char* word = options[index].name;
        if (rbac_cli_opt_check(kCommand, word) != 0) {
            puts("RBAC permission denied.");
            return close_and_leave(-1);
        }
        if (rbac_context_type_handler(kCommand, word) != 0) {
            return close_and_leave(-1);
        }
        if (opt == kOptHelp) {
            puts(kUsage);
            return close_and_leave(0);
        }
    }
    if (index == -1) {
        return invalid_option();
    }
    return show_statistics();
}

}  // namespace haadm
