// The simulated chassis of a test process: the one CHASSIS_SIM_ROOT names, else one made
// in a temporary folder on first use and removed at exit. Made before the first platform
// call, which fixes the chassis for the process. Its programs start through
// HAADM_TEST_EMULATOR when that is set, as the tool's children do.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/store/layout.h"
#include "sim/store/paths.h"

namespace test {

inline const std::string& chassis()
{
    static const std::string dir = [] {
        const char* given = getenv("CHASSIS_SIM_ROOT");
        if (given == nullptr || *given == '\0') {
            char tmpl[] = "/tmp/haadm_test.XXXXXX";
            static const std::string top = mkdtemp(tmpl) != nullptr ? tmpl : "";
            const char* emulator = getenv("HAADM_TEST_EMULATOR");
            if (top.empty() || !sim::init_chassis(top + "/c", "redundant", emulator ? emulator : "").empty()) {
                abort();
            }
            atexit([] {
                std::error_code ec;
                std::filesystem::remove_all(top, ec);
            });
            setenv("CHASSIS_SIM_ROOT", (top + "/c").c_str(), 1);
        }
        return sim::root();
    }();
    return dir;
}

// The entries of the chassis's journal, each line parsed whole.
inline std::vector<nlohmann::json> journal()
{
    std::vector<nlohmann::json> entries;
    std::ifstream in(chassis() + "/sim/journal.jsonl");
    for (std::string line; std::getline(in, line);) {
        entries.push_back(nlohmann::json::parse(line));
    }
    return entries;
}

}  // namespace test
