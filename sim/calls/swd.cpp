// platform/swd.h: the software watchdog, which always answers.

#include "platform/swd.h"
#include "sim/calls/call_helpers.h"
#include "sim/store/state.h"

using namespace sim;  // the simulator's state, journal and helpers

extern "C" {

int swd_init(void) { return sim::read_call("swd_init", json::array(), [](const json&) { return 0; }); }
int swd_enable(void) { return sim::read_call("swd_enable", json::array(), [](const json&) { return 0; }); }
int swd_disable(void) { return sim::read_call("swd_disable", json::array(), [](const json&) { return 0; }); }
int swd_suppress(void) { return sim::read_call("swd_suppress", json::array(), [](const json&) { return 0; }); }
int swd_exit(void) { return sim::read_call("swd_exit", json::array(), [](const json&) { return 0; }); }
int config_swd_kickin(void) { return sim::read_call("config_swd_kickin", json::array(), [](const json&) { return 0; }); }

}  // extern "C"
