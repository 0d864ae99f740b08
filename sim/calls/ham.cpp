// platform/ham.h: the HA manager, the HA lock and the CP's identity. What a call does to
// the state word follows the rules in sim/store/ha_rules.
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <string>

#include "platform/ham.h"
#include "platform/hasm.h"
#include "sim/calls/call_helpers.h"
#include "sim/store/ha_rules.h"
#include "sim/store/state.h"

using namespace sim;  // the simulator's state, journal and helpers

extern "C" {

int ham_get_state(void)
{
    return sim::read_call("ham_get_state", json::array(), [](const json& st) {
        return static_cast<int>(sim::state_word(st, sim::this_cp(st)));
    });
}

int getHAMStat(void)
{
    return sim::read_call("getHAMStat", json::array(), [](const json& st) {
        return static_cast<int>(sim::state_word(st, sim::this_cp(st)));
    });
}

int getHAMFd(void) { return sim::read_call("getHAMFd", json::array(), [](const json&) { return kHamFd; }); }
int ham_get_fd(void) { return sim::read_call("ham_get_fd", json::array(), [](const json&) { return kHamFd; }); }

int enableHA(void)
{
    return sim::change_call("enableHA", json::array(), [](json& st) {
        st["bits"] = st.value("bits", 0u) | kHaEnabled;
        return 0;
    });
}

static int disable_ha(const char* name)
{
    return sim::change_call(name, json::array(), [](json& st) {
        st["bits"] = st.value("bits", 0u) & ~(kHaEnabled | kHaSynchronized);
        return 0;
    });
}

int disableHA(void) { return disable_ha("disableHA"); }
int ham_disable_ha(void) { return disable_ha("ham_disable_ha"); }

// On a redundant chassis (the word's REDUNDANT, as hafailover reads it) whose other CP
// is up, that CP becomes active and a new session
// begins; the old active CP's hold on the HA lock ends with its role.
static int fail_over(const char* name)
{
    return sim::change_call(name, json::array(), [](json& st) {
        const int old_active = st.value("active_cp", 0);
        if ((st.value("bits", 0u) & kHaRedundant) == 0 || sim::restarting(st, 1 - old_active)) {
            return -1;
        }
        sim::take_over(st);
        sim::free_lock_of(st, old_active, {});
        return 0;
    });
}

int forceFailover(void) { return fail_over("forceFailover"); }
int ham_force_failover(void) { return fail_over("ham_force_failover"); }

int ham_request(int request, int arg)
{
    return sim::change_call("ham_request", {request, arg}, [request](json& st) {
        if (request == kHamRequestReboot) {
            sim::go_down(st, sim::this_cp(st), {});
        }
        return 0;
    });
}

int ham_notify(int event) { return answers_zero("ham_notify", {event}); }
int notifyHAM(int event) { return answers_zero("notifyHAM", {event}); }

int ham_set_state(int bits)
{
    return sim::change_call("ham_set_state", {bits}, [bits](json& st) {
        st["bits"] = st.value("bits", 0u) | (static_cast<uint32_t>(bits) & ~kHaActive);
        return 0;
    });
}

int ham_get_rb_reason(char* reason)
{
    return sim::read_call("ham_get_rb_reason", json::array(), [reason](const json& st) {
        if (reason != nullptr) {
            copy_text(reason, kHamReasonSize, st.value("rb_reason", ""));
        }
        return 0;
    });
}

int get_ha_status(int state, HaStatusRecord* record)
{
    return sim::read_call("get_ha_status", {state}, [record](const json& st) {
        if (record == nullptr) {
            return -1;
        }
        const json status = sim::status_texts(st);
        copy_text(record->local, sizeof record->local, status.value("local", ""));
        copy_text(record->remote, sizeof record->remote, status.value("remote", ""));
        copy_text(record->summary, sizeof record->summary, status.value("summary", ""));
        return 0;
    });
}

int ha_lock(int a, int b, const char* owner)
{
    return sim::change_call("ha_lock", {a, b, text_or_null(owner)}, [owner](json& st) {
        if (!st["lock"].is_null()) {
            return 1;
        }
        const int trans = st.value("next_trans", 1);
        st["next_trans"] = wrapped_next(trans);
        st["lock"] = {{"pid", getpid()},
                      {"trans", trans},
                      {"time", static_cast<uint32_t>(time(nullptr))},
                      {"cmd", std::string(owner == nullptr ? "" : owner).substr(0, 31)},
                      {"cp", sim::this_cp(st)}};
        return 0;
    });
}

int ha_unlock(int a)
{
    return sim::change_call("ha_unlock", {a}, [](json& st) {
        st["lock"] = nullptr;
        return 0;
    });
}

int ha_checklock(HaLockRecord* record)
{
    return sim::read_call("ha_checklock", json::array(), [record](const json& st) {
        if (record == nullptr) {
            return -1;
        }
        memset(record, 0, sizeof *record);
        const json& lock = st["lock"];
        if (!lock.is_null()) {
            record->pid = lock.value("pid", 0);
            record->trans = lock.value("trans", 0);
            record->time = lock.value("time", 0u);
            // A name as long as the field is handed back without a NUL, as the lock
            // service may do.
            const std::string cmd = lock.value("cmd", "");
            memcpy(record->cmd, cmd.data(), std::min(cmd.size(), sizeof record->cmd));
        }
        return 0;
    });
}

int getThisCPSlot(void)
{
    return sim::read_call("getThisCPSlot", json::array(),
                          [](const json& st) { return st["slots"][sim::this_cp(st)].get<int>(); });
}

int getPeerCPSlot(void)
{
    return sim::read_call("getPeerCPSlot", json::array(), [](const json& st) {
        return st["slots"][1 - sim::this_cp(st)].get<int>();
    });
}

int getThisCPNum(void)
{
    return sim::read_call("getThisCPNum", json::array(), [](const json& st) { return sim::this_cp(st); });
}

int cocpu_present(void) { return read_int("cocpu_present", "cocpu"); }
int is_on_cocpu(void) { return read_int("is_on_cocpu", "on_cocpu"); }

}  // extern "C"
