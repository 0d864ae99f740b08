// platform/swd.h: the software watchdog, which always answers.

#include "platform/swd.h"
#include "sim/calls/call_helpers.h"
#include "sim/store/state.h"

using namespace sim;  // the simulator's state, journal and helpers

extern "C" {

int swd_init(void) { return answers_zero("swd_init"); }
int swd_enable(void) { return answers_zero("swd_enable"); }
int swd_disable(void) { return answers_zero("swd_disable"); }
int swd_suppress(void) { return answers_zero("swd_suppress"); }
int swd_exit(void) { return answers_zero("swd_exit"); }
int config_swd_kickin(void) { return answers_zero("config_swd_kickin"); }

}  // extern "C"
