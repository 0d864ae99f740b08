// platform/client_libs.h: the client libraries' start-up calls, which always succeed.

#include "platform/client_libs.h"
#include "sim/calls/call_helpers.h"
#include "sim/store/state.h"

using namespace sim;  // the simulator's state, journal and helpers

extern "C" {

int ficulibInit(void) { return answers_zero("ficulibInit"); }
int nslibInit(void) { return answers_zero("nslibInit"); }
int esslibInit(void) { return answers_zero("esslibInit"); }
int zonelibInit(void) { return answers_zero("zonelibInit"); }

int ns_condb_attach_impl(const char* function, const char* module, int line)
{
    return answers_zero("ns_condb_attach_impl", {text_or_null(function), text_or_null(module), line});
}

}  // extern "C"
