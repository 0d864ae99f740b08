// platform/rbac.h: access control, which lets every command run.

#include <string>

#include "platform/rbac.h"
#include "sim/calls/call_helpers.h"
#include "sim/store/journal.h"
#include "sim/store/state.h"

using namespace sim;  // the simulator's state, journal and helpers

extern "C" {

int rbac_init(int mode) { return answers_zero("rbac_init", {mode}); }

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
    return answers_zero("set_chassis_context", {text_or_null(command), text_or_null(word), count, words});
}

int rbac_cli_opt_check(const char* command, const char* option)
{
    return answers_zero("rbac_cli_opt_check", {text_or_null(command), text_or_null(option)});
}

int rbac_context_type_handler(const char* command, const char* option)
{
    return answers_zero("rbac_context_type_handler", {text_or_null(command), text_or_null(option)});
}

int rbac_close(void) { return answers_zero("rbac_close"); }

}  // extern "C"
