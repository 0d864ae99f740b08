// A simulated chassis for fuzz targets that run the tool's code in-process.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/chassis.h"

namespace fuzz {

// The test chassis, whose programs the fuzzed code never runs, with the commands'
// standard output sent nowhere and their standard input from nothing.
inline const std::string& chassis()
{
    static const bool ready = [] {
        setenv("CHASSIS_SIM_TOOL", "/bin/true", 1);
        setenv("CHASSIS_SIM_PROGRAM", "/bin/true", 1);
        test::chassis();
        const int null = open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        close(null);
        return true;
    }();
    (void)ready;
    return test::chassis();
}

// Keeps the journal from growing without bound over millions of runs.
inline void trim_journal()
{
    static unsigned runs = 0;
    if (++runs % 4096 == 0) {
        truncate((chassis() + "/sim/journal.jsonl").c_str(), 0);
    }
}

}  // namespace fuzz
