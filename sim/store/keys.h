// The state's plain keys, each declared once: its range (or a text's longest length), its
// value in a new chassis, whether chassis-sim set takes it, and its label in the drawing's
// platform part (none: drawn elsewhere). The shape check, set, the scenarios, the drawing
// and the completion all read these rows; the keys with a structure of their own (slots, the
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
    const char* label;
};
inline constexpr NumberKey kNumberKeys[] = {
    {"this_cp", 0, 1, 0, true, nullptr},
    {"active_cp", 0, 1, 0, false, nullptr},
    {"bits", 0, UINT32_MAX, 0, false, nullptr},  // the scenario gives the word
    {"cocpu", 0, 1, 0, true, "co-CPU"},
    {"on_cocpu", 0, 1, 0, true, nullptr},
    {"peer_reachable", 0, 1, 1, true, "peer reachable"},
    {"model", INT32_MIN, INT32_MAX, 100, true, "model"},
    {"board", INT32_MIN, INT32_MAX, 10, true, "board"},
    {"dp_upgrade", INT32_MIN, INT32_MAX, 1, true, "dp upgrade"},
    {"ipc_max", INT32_MIN, INT32_MAX, 8192, true, "ipc max"},
    {"fcr_state", 0, 65535, 2, true, "fcr state"},
    {"node", 0, 65535, 1, true, "node"},
    {"next_trans", INT32_MIN, INT32_MAX, 1, false, nullptr},
    {"next_ls", INT32_MIN, INT32_MAX, 1, false, nullptr},
    {"next_lport", INT32_MIN, INT32_MAX, 1024, false, nullptr},
};

struct TextKey {
    const char* name;
    size_t longest;  // what set takes; 0: any length
    const char* fresh;
    bool settable;
    const char* label;
};
inline constexpr TextKey kTextKeys[] = {
    {"app_name", 63, "CLI", true, "application"},
    {"peer_ip", 63, "127.0.0.7", true, "peer"},
    {"rb_reason", 63, "", true, nullptr},
    {"dump_text", 0, "HA state machine dump\nstate: active\n", true, nullptr},
    {"emulator", 0, "", false, nullptr},
};

}  // namespace sim
