// The state of the chassis: read (again only when the file changed), checked, and
// written back atomically; and the shape of a platform call that reads or changes it.
#include "sim/store/state.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sim/store/escape.h"
#include "sim/store/files.h"
#include "sim/store/internal.h"
#include "sim/store/paths.h"
#include "sim/store/shape.h"

namespace sim {

namespace {

// Never freed: a process ends without taking the cached state apart.
json& g_state = *new json;
std::string& g_state_text = *new std::string;  // the text g_state was read from
struct timespec g_mtime {};
ino_t g_ino = 0;
off_t g_size = -1;
int g_state_cp = 0;  // g_state's this_cp

// CHASSIS_SIM_CP as 0 or 1, -1 when it names no CP, -2 before it is read.
int g_env_cp = -2;

int g_boot_cp = -1;
long long g_boot = -1;

long long boot_of(const json& st, int cp)
{
    const auto boots = st.find("boots");
    return boots == st.end() ? 0 : (*boots)[static_cast<size_t>(cp)].get<long long>();
}

}  // namespace

long long clock_offset()
{
    return g_state.is_object() ? g_state.value("clock_offset", 0LL) : 0;
}

// What is wrong with the state text, empty if nothing; st is the state parsed from it.
std::string state_wrong(const std::string& text, json& st)
{
    std::string wrong = check_nesting(text);
    if (wrong.empty()) {
        try {
            st = json::parse(text);
        } catch (const json::exception& e) {
            wrong = parse_failure(e);
        }
    }
    return wrong.empty() ? check_state(st) : wrong;
}

json parse_state(const std::string& path, std::string* text_read)
{
    const std::string text = read_file(path);
    if (text_read != nullptr) {
        *text_read = text;
    }
    json st;
    const std::string wrong = state_wrong(text, st);
    if (!wrong.empty()) {
        fatal("the state in " + path + " is damaged: " + wrong);
    }
    return st;
}

// Writes the new state beside the old one; rename_state() puts it in place.
void write_state_tmp(const json& state)
{
    const std::string tmp = tmp_path();
    const int fd = open_own(tmp, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        fatal("cannot write " + tmp + ": " + strerror(errno) + refused_hint(errno));
    }
    if (!write_all(fd, to_text(state, 1) + "\n")) {
        const int error = errno;
        close(fd);
        unlink(tmp.c_str());
        fatal("cannot write " + tmp + ": " + strerror(error));
    }
    close(fd);
}

void rename_state()
{
    if (rename(tmp_path().c_str(), state_path().c_str()) != 0) {
        const int error = errno;
        unlink(tmp_path().c_str());
        fatal("cannot replace " + state_path() + ": " + strerror(error));
    }
}

// Temporary states that writers killed before their rename left behind (also those
// named state.json.tmp.PID by earlier versions); called under the chassis lock.
void remove_stale_tmp()
{
    const std::string dir = root() + "/sim";
    DIR* d = opendir(dir.c_str());
    if (d == nullptr) {
        return;
    }
    while (const dirent* e = readdir(d)) {
        if (strncmp(e->d_name, "state.json.tmp", 14) == 0) {
            unlinkat(dirfd(d), e->d_name, 0);
        }
    }
    closedir(d);
}

int this_cp(const json& state)
{
    if (g_env_cp == -2) {
        const char* env = getenv("CHASSIS_SIM_CP");
        g_env_cp = env != nullptr && (strcmp(env, "0") == 0 || strcmp(env, "1") == 0) ? env[0] - '0' : -1;
    }
    if (g_env_cp >= 0) {
        return g_env_cp;
    }
    return &state == &g_state ? g_state_cp : state.value("this_cp", 0);
}

void run_on_cp(int cp)
{
    setenv("CHASSIS_SIM_CP", cp == 1 ? "1" : "0", 1);
    g_env_cp = cp == 1 ? 1 : 0;
}

const json& state()
{
    struct stat st {};
    const std::string& path = state_path();
    if (stat(path.c_str(), &st) != 0) {
        fatal("cannot read " + path + ": " + strerror(errno));
    }
    if (st.st_ino != g_ino || st.st_size != g_size || st.st_mtim.tv_sec != g_mtime.tv_sec ||
        st.st_mtim.tv_nsec != g_mtime.tv_nsec) {
        g_state = parse_state(path, &g_state_text);
        g_state_cp = g_state.value("this_cp", 0);
        g_ino = st.st_ino;
        g_size = st.st_size;
        g_mtime = st.st_mtim;
    }
    return g_state;
}

const std::string& state_text()
{
    state();
    return g_state_text;
}

void check_boot(const json& st)
{
    if (g_boot < 0) {
        g_boot_cp = this_cp(st);
        g_boot = boot_of(st, g_boot_cp);
        return;
    }
    if (boot_of(st, g_boot_cp) != g_boot) {
        fatal("CP" + std::to_string(g_boot_cp) +
              " was restarted after this process began; its calls no longer reach the chassis");
    }
}

void update_state(const std::function<void(json&)>& body, std::string_view call,
                  const std::function<void()>& entry)
{
    ChassisLock lock;
    remove_stale_tmp();
    json st = parse_state(state_path());
    if (entry) {
        check_boot(st);  // a restart that came while this call waited for the lock
    }
    begin_change(call);
    body(st);
    // The new state is ready before the entry is written, and takes effect only after:
    // a call whose entry cannot be written changes nothing.
    write_state_tmp(st);
    stop_point("tmp");
    if (entry) {
        entry();
    }
    rename_state();
    end_change();
}

}  // namespace sim
