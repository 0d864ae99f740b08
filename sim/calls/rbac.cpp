// platform/rbac.h: access control, which lets every command run.

#include <string>

#include "platform/rbac.h"
#include "sim/calls/call_helpers.h"
#include "sim/store/journal.h"
#include "sim/store/state.h"

using namespace sim;  // the simulator's state, journal and helpers

extern "C" {

int rbac_init(int mode) { return sim::read_call("rbac_init", {mode}, [](const json&) { return 0; }); }

const char* geps_app_name(void)
{
    static std::string name;
    const json& st = sim::state();
    sim::check_boot(st);
    name = st.value("app_name", "");
    sim::journal(st, "geps_app_name", json::array(), name);
    return name.c_str();
}

int set_chassis_context(const char* command, const char* word, int count, char** argv)
{
    json words = json::array();
    for (int i = 0; argv != nullptr && i < count && argv[i] != nullptr; ++i) {
        words.push_back(argv[i]);
    }
    return sim::read_call("set_chassis_context",
                          {text_or_null(command), text_or_null(word), count, words},
                          [](const json&) { return 0; });
}

int rbac_cli_opt_check(const char* command, const char* option)
{
    return sim::read_call("rbac_cli_opt_check", {text_or_null(command), text_or_null(option)},
                          [](const json&) { return 0; });
}

int rbac_context_type_handler(const char* command, const char* option)
{
    return sim::read_call("rbac_context_type_handler",
                          {text_or_null(command), text_or_null(option)},
                          [](const json&) { return 0; });
}

int rbac_close(void) { return sim::read_call("rbac_close", json::array(), [](const json&) { return 0; }); }

}  // extern "C"
