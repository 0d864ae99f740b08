// The journal: one line a platform call, appended under the chassis lock, and its
// human line, the one rendering of an entry for people.
#include "sim/store/journal.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "sim/store/escape.h"
#include "sim/store/files.h"
#include "sim/store/internal.h"
#include "sim/store/shape.h"
#include "sim/store/state.h"

namespace sim {

namespace {

int g_journal_fd = -1;

// Where the journal ended after this process's last line, or -1: a journal still of that
// size ends in that line's newline.
off_t g_journal_end = -1;

}  // namespace

void forget_journal_end() { g_journal_end = -1; }

// A process whose journal cannot grow ends at once; an HA lock it holds would otherwise
// stay held by a dead process until a restart. Called under the chassis lock, after
// the call's own new state was discarded.
void free_own_lock()
{
    json st = parse_state(state_path());
    const json& lock = st["lock"];
    if (lock.is_null() || lock.value("pid", 0LL) != own_pid()) {
        return;
    }
    st["lock"] = nullptr;
    write_state_tmp(st);
    rename_state();
    complain("the HA lock that process " + std::to_string(own_pid()) + " held is freed");
}

// Appends one line under the chassis lock. A journal that does not end in a newline (a
// writer was killed or ran out of room) gets one first; a line that could not be
// written whole is taken back, and the process ends without the call taking effect and
// without the HA lock it held.
void append_journal(const std::string& line)
{
    ChassisLock lock;
    struct stat st {};
    if (g_journal_fd < 0) {
        // Opened under the lock: its status is the journal's now.
        g_journal_fd = open_own(journal_path(), O_RDWR | O_APPEND | O_CREAT, 0644, &st);
        if (g_journal_fd < 0) {
            fatal("cannot open " + journal_path() + ": " + strerror(errno) + refused_hint(errno));
        }
    } else if (fstat(g_journal_fd, &st) != 0) {
        fatal("cannot append to " + journal_path() + ": " + strerror(errno));
    }
    // A writer cut short leaves a torn last line, ended here before this one. The journal
    // is as this process left it when it ends where its last line did.
    char last = '\n';
    const bool torn = st.st_size > 0 && st.st_size != g_journal_end &&
                      pread(g_journal_fd, &last, 1, st.st_size - 1) == 1 && last != '\n';
    g_journal_end = -1;
    if (!(torn ? write_all(g_journal_fd, "\n" + line) : write_all(g_journal_fd, line))) {
        const int error = errno;
        // A change takes back every line it wrote.
        if (ftruncate(g_journal_fd, changing() ? journal_before() : st.st_size) != 0) {
            // Nothing more to do: the reader skips a torn line.
        }
        unlink(tmp_path().c_str());
        abandon_change();
        complain("cannot append to " + journal_path() + ": " + strerror(error));
        free_own_lock();
        exit(125);
    }
    g_journal_end = st.st_size + (torn ? 1 : 0) + static_cast<off_t>(line.size());
    if (changing()) {
        stop_point("journal");
    }
}

void journal_as(int cp, std::string_view name, const json& args, const json& ret)
{
    // The object {args, call, cp, pid, ret} in the writer's key order, without copying
    // the arguments into an object first.
    append_journal("{\"args\":" + to_text(args) + ",\"call\":" + to_text(json(name)) +
                   ",\"cp\":" + std::to_string(cp) +
                   ",\"pid\":" + std::to_string(static_cast<long long>(own_pid())) +
                   ",\"ret\":" + to_text(ret) + "}\n");
}

void journal(std::string_view name, const json& args, const json& ret)
{
    journal_as(this_cp(state()), name, args, ret);
}

void journal(const json& state, std::string_view name, const json& args, const json& ret)
{
    journal_as(this_cp(state), name, args, ret);
}

std::string human_line(const json& entry)
{
    std::string line = printable(entry.value("call", "?")) + "(";
    bool first = true;
    for (const json& arg : entry.value("args", json::array())) {
        if (!first) {
            line += ", ";
        }
        line += printable(to_text(arg));
        first = false;
    }
    line += ")";
    const auto ret = entry.find("ret");
    if (ret != entry.end() && !ret->is_null()) {
        line += " = " + printable(to_text(*ret));
    }
    return line;
}

}  // namespace sim
