#include "sim/chassis.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "sim/scenarios.h"

namespace fs = std::filesystem;

namespace sim {
namespace {

std::string g_root;
json g_state;
struct timespec g_mtime {};
ino_t g_ino = 0;
off_t g_size = -1;
int g_journal_fd = -1;

std::string state_path() { return root() + "/sim/state.json"; }
std::string lock_path() { return root() + "/sim/lock"; }
std::string journal_path() { return root() + "/sim/journal.jsonl"; }

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        fatal("cannot read " + path + ": " + strerror(errno));
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

json parse_state(const std::string& path)
{
    const std::string text = read_file(path);
    std::string wrong = check_nesting(text);
    json st;
    if (wrong.empty()) {
        try {
            st = json::parse(text);
        } catch (const json::exception& e) {
            wrong = e.what();
        }
    }
    if (wrong.empty()) {
        wrong = check_state(st);
    }
    if (!wrong.empty()) {
        fatal("the state in " + path + " is damaged: " + wrong);
    }
    return st;
}

void write_state(const json& state)
{
    const std::string tmp = state_path() + ".tmp." + std::to_string(getpid());
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << to_text(state, 1) << '\n';
        out.flush();
        if (!out) {
            fatal("cannot write " + tmp);
        }
    }
    if (rename(tmp.c_str(), state_path().c_str()) != 0) {
        fatal("cannot replace " + state_path() + ": " + strerror(errno));
    }
}

// Holds the chassis lock for one read-modify-write.
class ChassisLock {
public:
    ChassisLock() : fd_(open(lock_path().c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644))
    {
        if (fd_ < 0 || flock(fd_, LOCK_EX) != 0) {
            fatal("cannot lock " + lock_path() + ": " + strerror(errno));
        }
    }
    ~ChassisLock() { close(fd_); }
    ChassisLock(const ChassisLock&) = delete;
    ChassisLock& operator=(const ChassisLock&) = delete;

private:
    int fd_;
};

std::string default_root()
{
    const char* xdg = getenv("XDG_STATE_HOME");
    std::string base;
    if (xdg != nullptr && *xdg != '\0') {
        base = xdg;
    } else {
        const char* home = getenv("HOME");
        if (home == nullptr || *home == '\0') {
            fatal("neither CHASSIS_SIM_ROOT nor HOME is set");
        }
        base = std::string(home) + "/.local/state";
    }
    return base + "/chassis-sim/default";
}

void create_default(const std::string& dir)
{
    std::error_code ec;
    fs::create_directories(fs::path(dir).parent_path(), ec);
    const std::string guard = fs::path(dir).parent_path().string() + "/default.lock";
    const int fd = open(guard.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0 || flock(fd, LOCK_EX) != 0) {
        fatal("cannot lock " + guard + ": " + strerror(errno));
    }
    if (access((dir + "/sim/state.json").c_str(), F_OK) != 0) {
        const std::string error = init_chassis(dir, "redundant", "");
        if (!error.empty()) {
            fatal(error);
        }
    }
    close(fd);
}

}  // namespace

std::string to_text(const json& value, int indent)
{
    return stored(value).dump(indent, ' ', false, json::error_handler_t::replace);
}

void fatal(const std::string& message)
{
    fprintf(stderr, "chassis-sim: %s\n", message.c_str());
    exit(125);
}

const std::string& root()
{
    if (!g_root.empty()) {
        return g_root;
    }
    const char* env = getenv("CHASSIS_SIM_ROOT");
    if (env != nullptr && *env != '\0') {
        g_root = env;
        while (g_root.size() > 1 && g_root.back() == '/') {
            g_root.pop_back();
        }
        if (access((g_root + "/sim/state.json").c_str(), F_OK) != 0) {
            fatal("no chassis in " + g_root + " (make one with: chassis-sim init " + g_root + ")");
        }
    } else {
        g_root = default_root();
        create_default(g_root);
        // Children (the programs the tool runs) use the same chassis.
        setenv("CHASSIS_SIM_ROOT", g_root.c_str(), 1);
    }
    return g_root;
}

int this_cp(const json& state)
{
    const char* env = getenv("CHASSIS_SIM_CP");
    if (env != nullptr && (strcmp(env, "0") == 0 || strcmp(env, "1") == 0)) {
        return env[0] - '0';
    }
    return state.value("this_cp", 0);
}

const json& state()
{
    struct stat st {};
    const std::string path = state_path();
    if (stat(path.c_str(), &st) != 0) {
        fatal("cannot read " + path + ": " + strerror(errno));
    }
    if (st.st_ino != g_ino || st.st_size != g_size || st.st_mtim.tv_sec != g_mtime.tv_sec ||
        st.st_mtim.tv_nsec != g_mtime.tv_nsec) {
        g_state = parse_state(path);
        g_ino = st.st_ino;
        g_size = st.st_size;
        g_mtime = st.st_mtim;
    }
    return g_state;
}

void journal(std::string_view name, const json& args, const json& ret)
{
    json entry = {{"pid", getpid()}, {"cp", this_cp(state())}, {"call", name},
                  {"args", args},    {"ret", ret}};
    const std::string line = to_text(entry) + "\n";
    if (g_journal_fd < 0) {
        g_journal_fd = open(journal_path().c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
        if (g_journal_fd < 0) {
            fatal("cannot open " + journal_path() + ": " + strerror(errno));
        }
    }
    // One write with O_APPEND keeps lines whole across processes.
    if (write(g_journal_fd, line.data(), line.size()) != static_cast<ssize_t>(line.size())) {
        fatal("cannot append to " + journal_path());
    }
}

namespace {

const json* injected(const json& st, std::string_view name)
{
    const auto fails = st.find("fail");
    if (fails == st.end()) {
        return nullptr;
    }
    const auto it = fails->find(std::string(name));
    return it == fails->end() ? nullptr : &*it;
}

}  // namespace

int read_call(std::string_view name, json args, const std::function<int(const json&)>& body)
{
    const json& st = state();
    const json* fail = injected(st, name);
    const int ret = fail != nullptr ? fail->get<int>() : body(st);
    journal(name, args, ret);
    return ret;
}

int change_call(std::string_view name, json args, const std::function<int(json&)>& body)
{
    {
        const json* fail = injected(state(), name);
        if (fail != nullptr) {
            const int ret = fail->get<int>();
            journal(name, args, ret);
            return ret;
        }
    }
    ChassisLock lock;
    json st = parse_state(state_path());
    const int ret = body(st);
    write_state(st);
    journal(name, args, ret);
    return ret;
}

void void_call(std::string_view name, json args) { journal(name, args, nullptr); }

void update_state(const std::function<void(json&)>& body)
{
    ChassisLock lock;
    json st = parse_state(state_path());
    body(st);
    write_state(st);
}

uint32_t state_word(const json& st, int cp)
{
    uint32_t word = st.value("bits", 0u);
    if (st.value("active_cp", 0) == cp) {
        word |= 0x1;
    }
    return word;
}

std::string cp_path(const std::string& path)
{
    const std::string& r = root();
    if (path.size() > r.size() && path.compare(0, r.size(), r) == 0 && path[r.size()] == '/') {
        return path.substr(r.size());
    }
    return path;
}

std::string human_line(const json& entry)
{
    std::string line = entry.value("call", "?") + "(";
    bool first = true;
    for (const json& arg : entry.value("args", json::array())) {
        if (!first) {
            line += ", ";
        }
        line += to_text(arg);
        first = false;
    }
    line += ")";
    const auto ret = entry.find("ret");
    if (ret != entry.end() && !ret->is_null()) {
        line += " = " + to_text(*ret);
    }
    return line;
}

}  // namespace sim
