// Where the chassis is: its root and each CP's file system.
#pragma once

#include <string>

namespace sim {

// The chassis directory this process uses (CHASSIS_SIM_ROOT, else the default chassis,
// created on first use). A root that is not a safe path, a CHASSIS_SIM_CP that is not
// 0 or 1, or a CHASSIS_SIM_CLOCK that is not whole seconds ends the process.
const std::string& root();
// For chassis-sim relink, before root(): a chassis whose programs are gone is opened all
// the same (root() refuses it otherwise).
void leave_programs_unchecked();
// Where the default chassis is (or would be made) when CHASSIS_SIM_ROOT is not set; when
// neither XDG_STATE_HOME nor HOME says, the process ends, or or_empty gives "".
std::string default_root_path(bool or_empty = false);
// The root as root() finds it, without creating or refusing anything: CHASSIS_SIM_ROOT,
// else the default chassis's path; "" when there is none to find.
std::string named_root();

// Whether CHASSIS_SIM_CLOCK is unset or whole seconds since the epoch (decimal, or hex
// after 0x): the simulated CP's clock (sim/store/clock.cpp).
bool clock_setting_ok();


// The directory under which CP cp's file system lies: the chassis root for CP0, its cp1/
// for CP1. Each CP has its own var/, mnt/var/ and tmp/; the programs and /proc are the
// chassis's, linked into cp1/.
const std::string& cp_root(int cp);

// The CP path of a chassis path (the CP's root taken off), or the path unchanged.
std::string cp_path(const std::string& path);

}  // namespace sim
