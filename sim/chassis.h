// The simulated chassis: state on disk, the journal of calls, and the locked
// read-modify-write through which every change goes.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace sim {

using json = nlohmann::json;

// JSON text of a value. Texts the tool passes are bytes, not always UTF-8: a text that is
// not UTF-8 is written as {"bytes":"HEX"} (see stored), so that no byte is lost.
std::string to_text(const json& value, int indent = -1);

// The value as it is written: every string that is not UTF-8 becomes {"bytes":"HEX"},
// its bytes in lowercase hex.
json stored(const json& value);
// Whether value holds a text that stored() would change.
bool needs_storing(const json& value);

// Whether text is valid UTF-8.
bool text_is_utf8(const std::string& text);

// What is wrong with the state file, empty if it reads and has the simulator's shape.
std::string state_damage();

// What is wrong with the nesting of a JSON text (too deep to walk safely); empty if fine.
std::string check_nesting(const std::string& text);

// What a failed parse of a JSON text found, in plain words with its line and column: the
// parser's own message quotes raw bytes.
std::string parse_failure(const std::exception& error);

// What is wrong with the shape of a parsed state (a key missing, of the wrong type or out
// of range), empty if nothing; texts stored as {"bytes":"HEX"} are made bytes again.
std::string check_state(json& state);

// Says message on standard error after "chassis-sim: ", through printable(): a message
// may quote what came from outside (a file, an argument, the environment), and nothing
// of that may drive the terminal.
void complain(const std::string& message);
// complain(), then ends the process (status 125); for a chassis that cannot be used.
[[noreturn]] void fatal(const std::string& message);

// Opens path close-on-exec on a descriptor above 2, so that a closed standard stream is
// never taken by the simulator's files; as open(2).
int open_file(const std::string& path, int flags, mode_t mode = 0);
// Appends everything left to read from fd to text, or stops once text holds more than
// limit bytes; false with errno set on an error.
bool read_all(int fd, std::string& text, size_t limit = SIZE_MAX);
// As open_file, for the chassis's own files (state, journal, lock): one that is there
// but not a regular file ends the process instead of being waited on or written into.
// The file's status goes to info when it is given.
int open_own(const std::string& path, int flags, mode_t mode = 0, struct stat* info = nullptr);

// A chassis path is pasted into shell command lines: no blanks, no shell metacharacters.
bool is_safe_path(const std::string& dir);
std::string unsafe_path_message(const std::string& dir);

// The chassis directory this process uses (CHASSIS_SIM_ROOT, else the default chassis,
// created on first use). A root that is not a safe path, a CHASSIS_SIM_CP that is not
// 0 or 1, or a CHASSIS_SIM_CLOCK that is not whole seconds ends the process.
const std::string& root();
// For chassis-sim relink, before root(): a chassis whose programs are gone is opened all
// the same (root() refuses it otherwise).
void leave_programs_unchecked();
// Where the default chassis is (or would be made) when CHASSIS_SIM_ROOT is not set.
std::string default_root_path();

// Whether CHASSIS_SIM_CLOCK is unset or whole seconds since the epoch (decimal, or hex
// after 0x): the simulated CP's clock (sim/clock.cpp).
bool clock_setting_ok();

// The CP this process runs on: CHASSIS_SIM_CP when set (0 or 1; root() refuses any other
// value), else the state's this_cp.
int this_cp(const json& state);
// From here on this process, and the programs it runs, run on CP cp (CHASSIS_SIM_CP).
void run_on_cp(int cp);

// The state as it is now (read again only when the file changed).
const json& state();
// The stored text of that state, byte for byte.
const std::string& state_text();

// A process belongs to the boot of its CP that was current at its first platform call; a
// call after that CP's restart ends the process (status 125) without taking effect, as
// the restart would have ended it.
void check_boot(const json& state);

// One platform call: the injected failure when there is one, else body's result;
// journalled with its arguments. A body that changes the state gets a locked, fresh copy
// which is written back atomically before the lock is released.
int read_call(std::string_view name, json args, const std::function<int(const json&)>& body);
int change_call(std::string_view name, json args, const std::function<int(json&)>& body);
// A call without a result (journalled with ret null).
void void_call(std::string_view name, json args);

// Appends one entry to the journal, under the chassis lock; a journal that cannot grow
// ends the process (status 125) with the entry taken back.
void journal(std::string_view name, const json& args, const json& ret);
// The same, for a call that has read the state already: no second look at it.
void journal(const json& state, std::string_view name, const json& args, const json& ret);

// Runs body on a locked, fresh copy of the state and writes it back; for chassis-sim.
void update_state(const std::function<void(json&)>& body);

// The directory under which CP cp's file system lies: the chassis root for CP0, its cp1/
// for CP1. Each CP has its own var/, mnt/var/ and tmp/; the programs and /proc are the
// chassis's, linked into cp1/.
const std::string& cp_root(int cp);

// The CP path of a chassis path (the CP's root taken off), or the path unchanged.
std::string cp_path(const std::string& path);

// chassis-sim as a shell word that runs it from anywhere: the one init and relink find
// (CHASSIS_SIM_PROGRAM, else the one beside this program or in its installed tree), for
// advice that must work as printed; "chassis-sim" when there is none.
std::string simulator_command();

// Links the programs of the chassis in root() to the tool and chassis-sim found as init
// finds them, through the chassis's emulator; returns an error text, empty on success.
// tool and simulator are set to the programs linked to.
std::string relink_chassis(std::string& tool, std::string& simulator);

// Lays out a new chassis in dir; returns an error text, empty on success.
std::string init_chassis(const std::string& dir, const std::string& scenario,
                         const std::string& emulator);
// The same with the state given (a scenario's, or one made from a snapshot).
std::string init_chassis_state(const std::string& dir, json st, const std::string& emulator);

// The journal as one human-readable line per call.
std::string human_line(const json& entry);

// TEXT with every control (below 0x20, 0x7f, C1 as a byte or in its UTF-8 form) written
// as \n, \t or \xHH (each byte of it), so that nothing read from the chassis drives the terminal.
std::string printable(const std::string& text);

// A JSON text the parser took whole, with DEL and the C1 controls (which JSON lets
// stand raw) written as \u00XX; the other controls are escaped in such a text already.
std::string json_printable(const std::string& text);

}  // namespace sim
