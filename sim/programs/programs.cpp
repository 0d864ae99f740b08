// The platform programs of a chassis (ping, rsh, fastboot, ipaddrshow, reboot): chassis-sim
// started under their names. Each journals an exec entry and acts on the state.
#include "sim/programs/programs.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "sim/store/escape.h"
#include "sim/store/ha_rules.h"
#include "sim/store/journal.h"
#include "sim/store/paths.h"
#include "sim/store/state.h"

namespace sim {

int run_program(const std::string& name, int argc, char** argv)
{
    json args = json::array();
    args.push_back(cp_path(argv[0]));
    for (int i = 1; i < argc; ++i) {
        args.push_back(argv[i]);
    }
    int code = 0;
    if (name == "ping") {
        code = state().value("peer_reachable", 1) != 0 ? 0 : 1;
    } else if (name == "rsh") {
        const json& st = state();
        std::string host;
        std::string command;
        for (int i = 1; i < argc; ++i) {
            if (strcmp(argv[i], "-n") == 0) {
                continue;
            }
            (host.empty() ? host : command) = argv[i];
            if (!command.empty()) {
                break;
            }
        }
        if (st.value("peer_reachable", 1) == 0 || host != st.value("peer_ip", "")) {
            fprintf(stderr, "rsh: %s: No route to host\n", printable(host).c_str());
            code = 1;
        } else if (command.find("/tarny/cliexec/reboot") != std::string::npos) {
            update_state([](json& fresh) { go_down(fresh, 1 - this_cp(fresh), "rsh"); });
        }
    } else if (name == "fastboot" || name == "reboot") {
        // This CP goes down until chassis-sim restart brings it up again.
        update_state([&name](json& fresh) { go_down(fresh, this_cp(fresh), name); });
    } else if (name == "ipaddrshow") {
        const json& st = state();
        printf("Chassis\nEthernet IP Address: 192.0.2.10\nEthernet Subnetmask: 255.255.255.0\n");
        for (int c = 0; c < 2; ++c) {
            printf("CP%d (slot %d)\nEthernet IP Address: 192.0.2.%d\n", c,
                   st["slots"][c].get<int>(), 11 + c);
        }
    }
    journal("exec", args, code);
    return code;
}

}  // namespace sim
