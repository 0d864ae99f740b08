// chassis-sim: make, change and inspect simulated chassis. One table of verbs, each of
// one shape (sim/cli/verbs.h); started under the name of one of the chassis's platform
// programs, it is that program (sim/programs/).
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "sim/cli/verbs.h"
#include "sim/programs/programs.h"
#include "sim/store/escape.h"
#include "sim/store/paths.h"

namespace sim {
namespace {

std::string usage();

Outcome help_command(const std::vector<std::string>&)
{
    fputs(usage().c_str(), stdout);
    printf("The default chassis: %s\n", printable(default_root_path()).c_str());
    return {};
}

Outcome version_command(const std::vector<std::string>&)
{
    printf("chassis-sim %s\n", CHASSIS_SIM_VERSION);
    return {};
}

// Each verb with its lines of the usage (after "chassis-sim "); the completion offers the
// verbs that are words (cmake/names.cmake reads these rows).
struct VerbRow {
    const char* name;
    Verb run;
    const char* usage;
};
constexpr VerbRow kVerbs[] = {
    {"init", init_command, "init DIR [--scenario NAME | --from FILE|-] [--emulator 'COMMAND ...']"},
    {"set", set_command, "set KEY=VALUE ..."},
    {"fail", fail_command, "fail CALL=RESULT ... | --clear"},
    {"show", show_command, "show [--json]"},
    {"journal", journal_command,
     "journal [--call NAME]... [--pid N] [--cp N] [--last N] [--json]\njournal --clear"},
    {"restart", restart_command, "restart CP"},
    {"relink", relink_command, "relink"},
    {"help", help_command, "-h | --help | --version"},
    {"-h", help_command, nullptr},
    {"--help", help_command, nullptr},
    {"--version", version_command, nullptr},
};

std::string usage()
{
    std::string text;
    for (const VerbRow& row : kVerbs) {
        for (const char* line = row.usage; line != nullptr && *line != '\0';) {
            const char* end = strchrnul(line, '\n');
            text += text.empty() ? "usage: chassis-sim " : "       chassis-sim ";
            text.append(line, end) += '\n';
            line = *end == '\n' ? end + 1 : end;
        }
    }
    return text + "The chassis is CHASSIS_SIM_ROOT, else the default chassis.\n";
}

int usage_error(const std::string& message)
{
    complain(message);
    fputs(usage().c_str(), stderr);
    return 2;
}

std::string base_name(const char* path)
{
    const char* slash = strrchr(path, '/');
    return slash == nullptr ? path : slash + 1;
}

int run(int argc, char** argv)
{
    const std::string self = argc > 0 ? base_name(argv[0]) : "chassis-sim";
    for (const Program& program : kPrograms) {
        if (self == program.name) {
            return run_program(self, argc, argv);
        }
    }
    if (argc < 2) {
        return usage_error("no command given");
    }
    const std::string verb = argv[1];
    for (const VerbRow& row : kVerbs) {
        if (verb == row.name) {
            const Outcome outcome = row.run(std::vector<std::string>(argv + 2, argv + argc));
            return outcome.refusal.empty() ? outcome.status : usage_error(outcome.refusal);
        }
    }
    return usage_error("unknown command '" + verb + "'");
}

}  // namespace
}  // namespace sim

// The one way out of chassis-sim: what it printed must have reached standard output.
int main(int argc, char** argv)
{
    int status = sim::run(argc, argv);
    std::cout.flush();
    if (fflush(stdout) != 0 || ferror(stdout) != 0 || !std::cout) {
        fputs("chassis-sim: write error on standard output\n", stderr);
        status = status == 0 ? 1 : status;
    }
    return status;
}
