// haenable and hadisable: turn HA on or off from the active CP.
#include "haadm/enable_disable.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "haadm/commands.h"
#include "haadm/guards.h"
#include "haadm/shell.h"
#include "platform/ham.h"
#include "platform/rasevt.h"
#include "platform/seams.h"
#include "platform/syscon.h"

namespace haadm {
namespace {

constexpr const char* kEnabled = "HA is enabled";
constexpr const char* kDisabled = "HA is disabled";

// Tells the switch services which way HA is going.
void notify_admin(uint32_t op)
{
    HaAdminNotice notice{};
    snprintf(notice.name, sizeof notice.name, "%s", "chassis");
    notice.code = kHaAdminCode;
    notice.op = op;
    fssm_admin(kFssmHaAdmin, &notice);
}

// The ping and remote reboot lines are refused beyond this length.
constexpr size_t kPeerLineLimit = 512;

// Enabling HA restarts the standby CP: reset it through the HA manager and, when it
// answers a ping, ask it to reboot as well.
void restart_peer()
{
    ham_device_request_int(getHAMFd(), kHamResetProcessor, 0);
    char address[72] = {};
    get_peer_ip_str(address);
    // The address goes into shell command lines: anything but an address is a peer
    // that does not answer.
    if (!is_ip_address_text(address, sizeof address)) {
        return;
    }
    const int ping =
        run_shell(kPeerLineLimit, "%s/bin/ping -q %s -c 2 1>/dev/null", platform_root(), address);
    if (((ping >> 8) & 0xFF) == 0) {
        // The reboot command names a file on the peer CP.
        run_shell(kPeerLineLimit, "%s/usr/bin/rsh -n %s \"/tarny/cliexec/reboot \" 2>/dev/null",
                  platform_root(), address);
    }
}

}  // namespace

bool is_ip_address_text(const char* text, size_t capacity)
{
    if (text == nullptr || memchr(text, '\0', capacity) == nullptr || text[0] == '\0') {
        return false;
    }
    unsigned char bytes[sizeof(in6_addr)];
    return inet_pton(AF_INET, text, bytes) == 1 || inet_pton(AF_INET6, text, bytes) == 1;
}

Outcome cmd_haenable(Run& run)
{
    if (auto refused = rbac_open_and_check(run)) {
        return *refused;
    }
    if (run.cp_slot == 0) {
        return refuse_platform(run);
    }
    const auto state = static_cast<uint32_t>(ham_get_state());
    if ((state & kHaActive) == 0) {
        return refuse_standby(run);
    }
    bool forced = false;
    if (auto ended = parse_force_help(run, "haenable", forced)) {
        return *ended;
    }
    if ((state & kHaEnabled) != 0) {
        puts(kEnabled);
        return leave(0);
    }
    fputs("Warning: This command will enable the HA. It will reboot the standby CP and\n"
          "require all telnet, secure telnet, and SSH sessions to the standby CP to be\n"
          "restarted\n\n",
          stderr);
    if (!forced) {
        if (auto refused = confirm_line(run, "Are you sure you want to go ahead  [y/n]? ")) {
            return *refused;
        }
    }
    restart_peer();
    notify_admin(kHaAdminEnable);
    enableHA();
    puts(kEnabled);
    audit("main", 423, 0, 0, kEvtHaStateChanged, "enabled");
    return leave(0);
}

Outcome cmd_hadisable(Run& run)
{
    if (run.cp_slot == 0) {
        return refuse_platform(run);
    }
    const auto state = static_cast<uint32_t>(ham_get_state());
    if ((state & kHaActive) == 0) {
        return refuse_standby(run);
    }
    if ((state & kHaEnabled) == 0) {
        puts(kDisabled);
        return leave(0);
    }
    const int rc = disableHA();
    if (rc != 0) {
        printf("%s ErrCode = %d\n", "hadisable command failed", rc);
        return leave(rc);  // main keeps a code like 256 from reading as success
    }
    notify_admin(kHaAdminDisable);
    puts(kDisabled);
    audit("main", 460, 0, 0, kEvtHaStateChanged, "disabled");
    return leave(0);
}

}  // namespace haadm
