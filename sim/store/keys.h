// The state's plain keys, each declared once: its range (or a text's longest length), its
// value in a new chassis, and whether chassis-sim set takes it. The shape check, set and
// the scenarios all read these rows; the keys with a structure of their own (slots, the
// status texts, the lock, the sessions, the switches, ...) are handled by each of them.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sim {

struct NumberKey {
    const char* name;
    long long low;
    long long high;
    long long fresh;  // in a new chassis
    bool settable;
};
inline constexpr NumberKey kNumberKeys[] = {
    {"this_cp", 0, 1, 0, true},
    {"active_cp", 0, 1, 0, false},
    {"bits", 0, UINT32_MAX, 0, false},  // the scenario gives the word
    {"cocpu", 0, 1, 0, true},
    {"on_cocpu", 0, 1, 0, true},
    {"peer_reachable", 0, 1, 1, true},
    {"model", INT32_MIN, INT32_MAX, 100, true},
    {"board", INT32_MIN, INT32_MAX, 10, true},
    {"dp_upgrade", INT32_MIN, INT32_MAX, 1, true},
    {"ipc_max", INT32_MIN, INT32_MAX, 8192, true},
    {"fcr_state", 0, 65535, 2, true},
    {"node", 0, 65535, 1, true},
    {"next_trans", INT32_MIN, INT32_MAX, 1, false},
    {"next_ls", INT32_MIN, INT32_MAX, 1, false},
    {"next_lport", INT32_MIN, INT32_MAX, 1024, false},
};

struct TextKey {
    const char* name;
    size_t longest;  // what set takes; 0: any length
    const char* fresh;
    bool settable;
};
inline constexpr TextKey kTextKeys[] = {
    {"app_name", 63, "CLI", true},
    {"peer_ip", 63, "127.0.0.7", true},
    {"rb_reason", 63, "", true},
    {"dump_text", 0, "HA state machine dump\nstate: active\n", true},
    {"emulator", 0, "", false},
};

}  // namespace sim
