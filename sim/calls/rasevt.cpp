// platform/rasevt.h: the RAS event log; an entry is journalled, not kept.

#include <cstdarg>
#include <cstring>

#include "platform/rasevt.h"
#include "sim/calls/call_helpers.h"
#include "sim/store/state.h"

using namespace sim;  // the simulator's state, journal and helpers

namespace {

bool g_rasevt_open = false;

}  // namespace

extern "C" {

int rasevt_init_check(void)
{
    return sim::read_call("rasevt_init_check", json::array(),
                          [](const json&) { return g_rasevt_open ? 1 : 0; });
}

int rasevt_init(const char* domain, int flags, const char* client)
{
    return sim::read_call("rasevt_init", {text_or_null(domain), flags, text_or_null(client)},
                          [](const json&) {
                              g_rasevt_open = true;
                              return 0;
                          });
}

int rasevt_gethndl_internal(RasEvtHandle* handle)
{
    return sim::read_call("rasevt_gethndl_internal", json::array(), [handle](const json&) {
        if (handle == nullptr) {
            return -1;
        }
        memset(handle, 0, sizeof *handle);
        memcpy(handle->opaque, "RASEVT", 6);
        return 0;
    });
}

int rasevt_log2(const char* module, const char* function, int line, const char* component,
                RasEvtHandle handle, int a, int b, int event_id, ...)
{
    (void)handle;
    json args = {text_or_null(module), text_or_null(function), line, text_or_null(component),
                 a, b, event_id};
    // The event catalog: which events carry one text.
    if (event_id == kEvtHaStateChanged || event_id == kEvtRebootReason ||
        event_id == kEvtCocpuRebootReason) {
        va_list ap;
        va_start(ap, event_id);
        args.push_back(text_or_null(va_arg(ap, const char*)));
        va_end(ap);
    }
    return answers_zero("rasevt_log2", std::move(args));
}

int rasevt_exit(void)
{
    return sim::read_call("rasevt_exit", json::array(), [](const json&) {
        g_rasevt_open = false;
        return 0;
    });
}

int raslogd_fsync(int mode, const char* who)
{
    return answers_zero("raslogd_fsync", {mode, text_or_null(who)});
}

}  // extern "C"
