// Guards and bookkeeping shared by the commands that change HA: access control,
// refusals, confirmation prompts, the audit log entry, usage texts and options.
#pragma once

#include <optional>

#include "haadm/run.h"

namespace haadm {

// The words of the standby and platform refusals.
inline constexpr char kStandbyWarning[] = "WARNING: Command not allowed on the standby CP";
inline constexpr char kNotSupported[] = "Not supported on this platform";

// rbac_init(2); on failure its message and the outcome that ends the run.
std::optional<Outcome> rbac_initialise();

// The RBAC initialisation, then, for a run without arguments, the permission check:
// how haenable and hafailover begin. Returns the outcome that ends the run when refused.
std::optional<Outcome> rbac_open_and_check(const Run& run);

// The permission check for an option word ("force", "help"), or for a run without
// arguments when word is null. Returns the outcome that ends the run when refused.
std::optional<Outcome> check_permission(const Run& run, const char* word);

// The decision step alone: 0 grants, -1 or 1 refuses (after printing the refusal).
int check_cli_permission(const char* command, const char* word);

// "WARNING: Command not allowed on the standby CP : NAME".
Outcome refuse_standby(const Run& run);
// The same warning with the fixed text ": hafailover" and a blank before the newline.
Outcome refuse_standby_failover();
// "NAME Not supported on this platform".
Outcome refuse_platform(const Run& run);
// "NAME: Not supported on this platform".
Outcome refuse_platform_status(const Run& run);

// Line form: reads one answer line; nullopt when confirmed, else the ending.
std::optional<Outcome> confirm_line(const Run& run, const char* question);
// Character form: true when the first character read is y or Y.
bool confirm_char(const char* question);

// rasevt_init for this tool; a failure is reported and otherwise ignored.
void open_ras_events();

// An audit entry in the RAS event log; text is the one message argument, or null.
void audit(const char* function, int line, int a, int b, int event_id, const char* text);

// "Usage: NAME\nOptions :\n-f | -force\tForcing to do NAME\n-h | -help\tDisplay command usage".
void print_force_help_usage(const char* command);

// The force/help options of haenable and hafailover. Returns the outcome that ends
// the run (help, a refused check, an invalid option), else nullopt with forced set.
std::optional<Outcome> parse_force_help(Run& run, const char* command, bool& forced);

}  // namespace haadm
