// platform/client_libs.h: the client libraries' start-up calls, which always succeed.

#include "platform/client_libs.h"
#include "sim/calls/call_helpers.h"
#include "sim/store/state.h"

using namespace sim;  // the simulator's state, journal and helpers

extern "C" {

int ficulibInit(void) { return sim::read_call("ficulibInit", json::array(), [](const json&) { return 0; }); }
int nslibInit(void) { return sim::read_call("nslibInit", json::array(), [](const json&) { return 0; }); }
int esslibInit(void) { return sim::read_call("esslibInit", json::array(), [](const json&) { return 0; }); }
int zonelibInit(void) { return sim::read_call("zonelibInit", json::array(), [](const json&) { return 0; }); }

int ns_condb_attach_impl(const char* function, const char* module, int line)
{
    return sim::read_call("ns_condb_attach_impl",
                          {text_or_null(function), text_or_null(module), line},
                          [](const json&) { return 0; });
}

}  // extern "C"
