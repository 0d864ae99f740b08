// A simulated chassis for fuzz targets that run the tool's code in-process.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "sim/store/escape.h"
#include "sim/store/files.h"
#include "sim/store/ha_rules.h"
#include "sim/store/journal.h"
#include "sim/store/layout.h"
#include "sim/store/paths.h"
#include "sim/store/shape.h"
#include "sim/store/state.h"

namespace fuzz {

// Makes a chassis in a temporary folder, points the simulator at it and sends the
// commands' standard output nowhere and their standard input from nothing.
inline const std::string& chassis()
{
    static const std::string root = [] {
        char tmpl[] = "/tmp/fuzz-chassis.XXXXXX";
        const char* made = mkdtemp(tmpl);
        if (made == nullptr) {
            abort();
        }
        const std::string dir = std::string(made) + "/c";
        // The chassis's programs are not run by the fuzzed code.
        setenv("CHASSIS_SIM_TOOL", "/bin/true", 1);
        setenv("CHASSIS_SIM_PROGRAM", "/bin/true", 1);
        if (!sim::init_chassis(dir, "redundant", "").empty()) {
            abort();
        }
        setenv("CHASSIS_SIM_ROOT", dir.c_str(), 1);
        const int null = open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        close(null);
        return dir;
    }();
    return root;
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
