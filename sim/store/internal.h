// What the files of the store share among themselves, and nothing outside sim/store/
// includes: the paths of the chassis's own files, the chassis lock and the record of a
// change in progress, and the steps of writing a state.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace sim {

using json = nlohmann::json;

// The chassis's own files, named when root() is chosen. tmp is one temporary name, used
// only under the chassis lock: a writer killed before its rename leaves a file that the
// next writer replaces.
struct OwnFiles {
    std::string state, lock, journal, tmp;
};
const OwnFiles& own_files();
inline const std::string& state_path() { return own_files().state; }
inline const std::string& lock_path() { return own_files().lock; }
inline const std::string& journal_path() { return own_files().journal; }
inline const std::string& tmp_path() { return own_files().tmp; }

// What a person can do when the chassis belongs to someone else.
std::string refused_hint(int error);

// The process's id: asked of the kernel once, and again in a child after a fork.
pid_t own_pid();

// Holds the chassis lock for one read-modify-write and its journal entry. Nested holds
// in one process share the outer one.
class ChassisLock {
public:
    ChassisLock();
    ~ChassisLock();
    ChassisLock(const ChassisLock&) = delete;
    ChassisLock& operator=(const ChassisLock&) = delete;
};

// A change in progress (see lock.cpp): begun under the chassis lock before its first
// journal line, ended after the rename of the new state.
void begin_change(std::string_view call);
void end_change();
// Whether this process is in a change, and the journal's length when it began.
bool changing();
off_t journal_before();
// A change whose journal line could not be written: its record is emptied.
void abandon_change();
// Ends the process by SIGKILL at a step that CHASSIS_SIM_CHANGE_STOP names.
void stop_point(std::string_view step);

// The journal no longer ends where this process's last line did (it was cut back).
void forget_journal_end();
// Appends one line under the chassis lock.
void append_journal(const std::string& line);

// The state in path, checked; a damaged one ends the process. text_read gets its text.
json parse_state(const std::string& path, std::string* text_read = nullptr);
// Writes the new state beside the old one; rename_state() puts it in place.
void write_state_tmp(const json& state);
void rename_state();
// Temporary states that writers killed before their rename left behind; under the lock.
void remove_stale_tmp();

}  // namespace sim
