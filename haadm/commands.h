// The command table: which invocation name runs which command.
#pragma once

#include <array>

#include "haadm/run.h"

namespace haadm {

// Every command's handler, one per row of the table.
Outcome cmd_hashow(Run& run);
Outcome cmd_haenable(Run& run);
Outcome cmd_hadisable(Run& run);
Outcome cmd_hafailover(Run& run);
Outcome cmd_hahamdump(Run& run);
Outcome cmd_hadump(Run& run);
Outcome cmd_hasyncstart(Run& run);
Outcome cmd_hasyncstop(Run& run);
Outcome cmd_hashutdown(Run& run);
Outcome cmd_swdadmin(Run& run);
Outcome cmd_chassisreboot(Run& run);
Outcome cmd_hareboot(Run& run);
Outcome cmd_hainfo(Run& run);
Outcome cmd_hareset(Run& run);
Outcome cmd_hasmshutdown(Run& run);
Outcome cmd_hasmtest(Run& run);
Outcome cmd_hachecklock(Run& run);
Outcome cmd_hafreelock(Run& run);
Outcome cmd_haredundancy(Run& run);
Outcome cmd_platformyield(Run& run);
Outcome cmd_hasnapshot(Run& run);
Outcome cmd_haready(Run& run);

enum class Match { exact_case, any_case };

// The command table. It is read at compile time only: what runs reads the names through
// select_command and reaches the handlers through run_command, with no table of pointers
// in the executable, as each such pointer is one more relocation at every start.
struct CommandNames {
    char name[16];
    char alias[16];  // empty: none
    Match match;
};

struct CommandRow {
    CommandNames names;
    Handler handler;
};

// Rows are tried top to bottom, the name before the alias; the first name that occurs
// anywhere in the invocation name wins.
inline constexpr std::array<CommandRow, 22> kCommands{{
    {{"hashow", "haShow", Match::exact_case}, cmd_hashow},
    {{"haenable", "haEnable", Match::exact_case}, cmd_haenable},
    {{"hadisable", "haDisable", Match::exact_case}, cmd_hadisable},
    {{"hafailover", "haFailover", Match::exact_case}, cmd_hafailover},
    {{"hahamdump", "", Match::exact_case}, cmd_hahamdump},
    {{"hadump", "", Match::any_case}, cmd_hadump},
    {{"hasyncstart", "haSyncStart", Match::exact_case}, cmd_hasyncstart},
    {{"hasyncstop", "haSyncStop", Match::exact_case}, cmd_hasyncstop},
    {{"hashutdown", "", Match::exact_case}, cmd_hashutdown},
    {{"swdadmin", "", Match::exact_case}, cmd_swdadmin},
    {{"chassisreboot", "chassisReboot", Match::exact_case}, cmd_chassisreboot},
    {{"hareboot", "haReboot", Match::exact_case}, cmd_hareboot},
    {{"hainfo", "", Match::exact_case}, cmd_hainfo},
    {{"hareset", "", Match::exact_case}, cmd_hareset},
    {{"hasmshutdown", "hasmrestart", Match::exact_case}, cmd_hasmshutdown},
    {{"hasmtest", "", Match::exact_case}, cmd_hasmtest},
    {{"hachecklock", "", Match::exact_case}, cmd_hachecklock},
    {{"hafreelock", "", Match::exact_case}, cmd_hafreelock},
    {{"haredundancy", "", Match::exact_case}, cmd_haredundancy},
    {{"platformyield", "", Match::exact_case}, cmd_platformyield},
    // Added last, so that no name of an earlier row is taken for them.
    {{"hasnapshot", "", Match::exact_case}, cmd_hasnapshot},
    // Also as check_haready, as monitoring setups name their checks.
    {{"haready", "", Match::exact_case}, cmd_haready},
}};

// The index in kCommands of the row that the invocation name selects, or -1 when none does.
int select_command(const char* invocation);

// The row of the monitoring check, which answers as a check also when the run cannot
// start or its output cannot be written.
inline constexpr int kCheckRow = static_cast<int>(kCommands.size()) - 1;
static_assert(kCommands[kCheckRow].handler == cmd_haready);
// The check's answer when the messaging service refused registration with rc.
Outcome check_not_registered(int rc);
// Reads the check's options before it registers and starts its timeout (-t), so that
// waiting for the platform from the first call on counts; false, and refused, when they
// are refused.
bool check_options(Run& run, Outcome& refused);

// Runs the handler of row index of kCommands (0 <= index < kCommands.size()).
Outcome run_command(int index, Run& run);

}  // namespace haadm
