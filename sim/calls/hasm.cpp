// platform/hasm.h: the HA state machine: sync start and stop, the session records,
// logical ports, the dump and the out-of-memory test.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "platform/ham.h"
#include "platform/hasm.h"
#include "sim/calls/call_helpers.h"
#include "sim/store/ha_rules.h"
#include "sim/store/files.h"
#include "sim/store/paths.h"
#include "sim/store/state.h"

using namespace sim;  // the simulator's state, journal and helpers

extern "C" {

static json sync_json(const SyncRequest* request)
{
    if (request == nullptr) {
        return nullptr;
    }
    return {{"head", field(request->head, sizeof request->head)},
            {"tail", field(request->tail, sizeof request->tail)},
            {"reserved", request->reserved}};
}

int hasm_synstart(SyncRequest* request)
{
    return sim::change_call("hasm_synstart", {sync_json(request)}, [](json& st) {
        // Nothing to synchronize with while a CP is down.
        if (sim::restarting(st, 0) || sim::restarting(st, 1)) {
            return -1;
        }
        st["bits"] = st.value("bits", 0u) | kHaSynchronized;
        return 0;
    });
}

int hasm_synstop(SyncRequest* request)
{
    return sim::change_call("hasm_synstop", {sync_json(request)}, [](json& st) {
        st["bits"] = st.value("bits", 0u) & ~kHaSynchronized;
        return 0;
    });
}

int has_get_hsess(int which, HaSession* session)
{
    return sim::read_call("has_get_hsess", {which}, [which, session](const json& st) {
        if (session == nullptr || (which != kSessionLocal && which != kSessionRemote)) {
            return -1;
        }
        const int me = sim::this_cp(st);
        const json& rec = st["hsess"][which == kSessionLocal ? me : 1 - me];
        memset(session, 0, sizeof *session);
        session->fl = rec.value("fl", 0);
        session->up = rec.value("up", 0u);
        session->ac = rec.value("ac", 0u);
        session->sy = rec.value("sy", 0u);
        session->ch = rec.value("ch", 0u);
        copy_text(session->rbr, sizeof session->rbr, rec.value("rbr", ""));
        return 0;
    });
}

int hasm_alloc_lport(int a, int b, int c)
{
    return sim::change_call("hasm_alloc_lport", {a, b, c}, next_lport);
}

int hasm_free_lport(int a, int b, int c) { return answers_zero("hasm_free_lport", {a, b, c}); }

int hasm_get_port(int a, int b, int c, int d)
{
    return sim::read_call("hasm_get_port", {a, b, c, d}, [a, b](const json&) {
        // As the platform's 32-bit arithmetic: wraps instead of overflowing.
        return static_cast<int>(static_cast<uint32_t>(a) * 64u + static_cast<uint32_t>(b));
    });
}

int hasm_dump(DumpRequest* request)
{
    json args = nullptr;
    if (request != nullptr) {
        args = {{"flag", request->flag}, {"path", field(request->path, sizeof request->path)}};
    }
    return sim::read_call("hasm_dump", {args}, [request](const json& st) {
        if (request == nullptr) {
            return -1;
        }
        // Only into a regular file of this user with no other name, never through a
        // symlink and never waiting on a FIFO: a dump path in /tmp is anyone's to plant.
        const std::string path = sim::cp_root(sim::this_cp(st)) + field(request->path, sizeof request->path);
        const int fd = sim::open_file(path, O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK, 0644);
        if (fd < 0) {
            return -1;
        }
        struct stat info {};
        if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink > 1 ||
            info.st_uid != geteuid() || ftruncate(fd, 0) != 0) {
            close(fd);
            return -1;
        }
        const std::string text = st.value("dump_text", "");
        const bool ok = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
        return close(fd) == 0 && ok ? 0 : -1;
    });
}

int hasm_testoom(void) { return answers_zero("hasm_testoom"); }

}  // extern "C"
