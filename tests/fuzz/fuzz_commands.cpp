// The commands' argument handling, run in-process against a simulated chassis. The
// first byte picks the command; the rest, split at newlines, are its arguments.
#include <getopt.h>

#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_chassis.h"
#include "haadm/commands.h"

namespace {

// Commands that neither sleep nor wait for a restart; their arguments are all parsed here.
constexpr const char* kCommands[] = {
    "hashow",      "hadisable",   "hahamdump",    "hasyncstart",   "hasyncstop",
    "swdadmin",    "hainfo",      "hasmshutdown", "hasmrestart",   "hasmtest",
    "hachecklock", "hafreelock",  "haredundancy", "platformyield", "chassisreboot",
    "hareset",     "haenable",
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::chassis();
    fuzz::trim_journal();
    if (size == 0) {
        return 0;
    }
    const char* name = kCommands[data[0] % (sizeof kCommands / sizeof kCommands[0])];
    std::vector<std::string> words{name};
    std::string word;
    for (size_t i = 1; i < size && words.size() < 9; ++i) {
        if (data[i] == '\n') {
            words.push_back(word);
            word.clear();
        } else {
            word.push_back(static_cast<char>(data[i]));
        }
    }
    if (size > 1 && words.size() < 9) {
        words.push_back(word);
    }
    std::vector<char*> argv;
    for (std::string& w : words) {
        argv.push_back(w.data());
    }
    argv.push_back(nullptr);
    // haenable and hareset would run programs for some words: keep to their refusals.
    if ((words[0] == "haenable" && words.size() > 1) || (words[0] == "hareset" && words.size() > 1 && words[1] == "-l")) {
        return 0;
    }
    optind = 0;  // a fresh parse each run
    opterr = 0;
    haadm::Run run{static_cast<int>(words.size()), argv.data(), argv[0], 6};
    const int row = haadm::select_command(run.name);
    if (row < 0) {
        __builtin_trap();
    }
    haadm::run_command(row, run);
    return 0;
}
