// What every command gets and how it says the run ends.
#pragma once

namespace haadm {

// The three ways a run ends. Only main carries them out.
enum class Ending {
    common_exit,   // leave the messaging service, then exit
    early_return,  // return from main without leaving the messaging service
    direct_exit,   // exit at once without leaving the messaging service
};

struct Outcome {
    Ending ending;
    int status;
};

constexpr Outcome leave(int status) { return {Ending::common_exit, status}; }
constexpr Outcome early_return(int status) { return {Ending::early_return, status}; }
constexpr Outcome direct_exit(int status) { return {Ending::direct_exit, status}; }

// The run context that main sets up once.
struct Run {
    int argc;
    char** argv;
    const char* name;  // argv[0], as the tool was started
    int cp_slot;       // getThisCPSlot() at start-up; 0: no CP slots
};

using Handler = Outcome (*)(Run& run);

// The status the shell sees for a status the run ends with. A nonzero code whose
// low eight bits are zero would read as success, so it becomes 255.
constexpr int shell_status(int status)
{
    return (status != 0 && (status & 0xFF) == 0) ? 255 : (status & 0xFF);
}

}  // namespace haadm
