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

constexpr const char* kUsage =
    "usage: chassis-sim init DIR [--scenario NAME | --from FILE|-] [--emulator 'COMMAND ...']\n"
    "       chassis-sim set KEY=VALUE ...\n"
    "       chassis-sim fail CALL=RESULT ... | --clear\n"
    "       chassis-sim show [--json]\n"
    "       chassis-sim journal [--call NAME]... [--pid N] [--cp N] [--last N] [--json]\n"
    "       chassis-sim journal --clear\n"
    "       chassis-sim restart CP\n"
    "       chassis-sim relink\n"
    "       chassis-sim -h | --help | --version\n"
    "The chassis is CHASSIS_SIM_ROOT, else the default chassis.\n";

Outcome help_command(const std::vector<std::string>&)
{
    fputs(kUsage, stdout);
    printf("The default chassis: %s\n", printable(default_root_path()).c_str());
    return {};
}

Outcome version_command(const std::vector<std::string>&)
{
    printf("chassis-sim %s\n", CHASSIS_SIM_VERSION);
    return {};
}

struct VerbRow {
    const char* name;
    Verb run;
};
constexpr VerbRow kVerbs[] = {
    {"init", init_command},       {"set", set_command},         {"fail", fail_command},
    {"show", show_command},       {"journal", journal_command}, {"restart", restart_command},
    {"relink", relink_command},   {"-h", help_command},         {"--help", help_command},
    {"help", help_command},       {"--version", version_command},
};

int usage_error(const std::string& message)
{
    complain(message);
    fputs(kUsage, stderr);
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
