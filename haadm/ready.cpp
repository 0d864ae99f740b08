// haready: whether the chassis can fail over now, as a monitoring check. It reads what
// hafailover's tests read and says what they say, in their words, with the status of a
// monitoring plugin: 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN. It changes nothing: no
// lock, no audit entry, no question, no permission check.
#include <getopt.h>
#include <unistd.h>

#include <csignal>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "common/bits.h"
#include "haadm/commands.h"
#include "common/printable.h"
#include "haadm/readiness.h"

namespace haadm {
namespace {

// The usage, after "Usage: NAME" (the name it was started as).
constexpr const char* kUsage =
    " [-v] [-c SECONDS] [-t SECONDS]\n"
    "  -v          one more line for every reason, in hafailover's words\n"
    "  -c SECONDS  a HA lock held this long is CRITICAL (default 600); held at all, WARNING\n"
    "  -t SECONDS  UNKNOWN when the platform has not answered within this long (default 10)\n"
    "Status: 0 OK (hafailover would go ahead), 1 WARNING (a hold that an operator or an\n"
    "upgrade ends), 2 CRITICAL (the chassis is not protected), 3 UNKNOWN.\n";

// The most seconds -c and -t take: a year.
constexpr long kMostSeconds = 366L * 24 * 3600;

struct Options {
    bool verbose;
    long crit;
    long timeout;
};

// A text from outside as the check shows it: escaped, and without a '|', which would
// start the performance data.
void put_outside(const char* text, size_t size)
{
    escape_printable(text, size, [](const char* bytes, size_t count) { fwrite(bytes, 1, count, stdout); }, "|");
}

void put_outside(const char* text) { put_outside(text, strlen(text)); }

// The first line of a check that cannot judge: "HAREADY UNKNOWN - WHAT" with the word
// from outside between before and after, and status 3.
Outcome unknown(const char* before, const char* word = nullptr, const char* after = "")
{
    printf("%s%s", kCheckUnknown, before);
    if (word != nullptr) {
        put_outside(word);
    }
    printf("%s\n", after);
    return leave(kReadyUnknown);
}

// A count of seconds: digits only, from 0 (1 when positive) to a year.
bool seconds(const char* text, bool positive, long& value)
{
    char* end = nullptr;
    if (text == nullptr || *text < '0' || *text > '9') {
        return false;
    }
    value = strtol(text, &end, 10);
    return *end == '\0' && value >= (positive ? 1 : 0) && value <= kMostSeconds;
}

void print_usage(const Run& run)
{
    fputs("Usage: ", stdout);
    put_outside(run.name);
    fputs(kUsage, stdout);
}

// Reads the options; on a refusal, says what is refused on the first line, then the usage.
bool parse_options(Run& run, Options& options, Outcome& refused)
{
    static const option kLong[] = {{"verbose", no_argument, nullptr, 'v'},
                                   {"warning", required_argument, nullptr, 'w'},
                                   {"critical", required_argument, nullptr, 'c'},
                                   {"timeout", required_argument, nullptr, 't'},
                                   {"help", no_argument, nullptr, 'h'},
                                   {nullptr, 0, nullptr, 0}};
    options = {false, kLockCritical, 10};
    opterr = 0;
    optind = 1;
    char flag[3] = {'-', '\0', '\0'};
    int c = 0;
    while ((c = getopt_long(run.argc, run.argv, ":vw:c:t:h", kLong, nullptr)) != -1) {
        flag[1] = static_cast<char>(c == ':' || c == '?' ? optopt : c);
        if (c == 'v') {
            options.verbose = true;
        } else if (c == 'c' || c == 't') {
            if (!seconds(optarg, c == 't', c == 'c' ? options.crit : options.timeout)) {
                char before[80];
                snprintf(before, sizeof before, "%s takes a whole number of seconds from %d to %ld, not '",
                         flag, c == 't' ? 1 : 0, kMostSeconds);
                refused = unknown(before, optarg, "'");
                print_usage(run);
                return false;
            }
        } else if (c == 'w') {
            refused = unknown("-w is not taken: a held HA lock is WARNING at any age, as "
                              "hafailover refuses it; -c sets when it is CRITICAL");
            print_usage(run);
            return false;
        } else if (c == 'h') {
            print_usage(run);
            refused = leave(kReadyUnknown);
            return false;
        } else if (c == ':') {
            refused = unknown(flag, nullptr, " needs a number of seconds");
            print_usage(run);
            return false;
        } else {
            refused = unknown("", optopt != 0 ? flag : run.argv[optind - 1], " is not an option");
            print_usage(run);
            return false;
        }
    }
    if (optind < run.argc) {
        refused = unknown("'", run.argv[optind], "' is not an option; the check takes no arguments");
        print_usage(run);
        return false;
    }
    return true;
}

// The first line of a check that the platform did not answer in time. Made before the
// alarm is set; written from the signal handler with write(), which is safe there.
char g_late[96];
size_t g_late_size;

void on_timeout(int)
{
    ssize_t unused = write(STDOUT_FILENO, g_late, g_late_size);
    (void)unused;
    _exit(kReadyUnknown);
}

// A text field of a platform record, up to its NUL, as the check shows outside texts.
void put_field(const char* field, size_t size)
{
    const void* nul = memchr(field, '\0', size);
    put_outside(field, nul == nullptr ? size : static_cast<size_t>(static_cast<const char*>(nul) - field));
}

// Performance data in the monitoring-plugins form, label=value[UOM];warn;crit;min;max:
// each named bit of the HA state word, the lock held and its age, its thresholds those of
// the status (WARNING from the first second, CRITICAL at -c). A value that could not be
// read is left out.
void put_performance(const ReadinessFacts& facts, const Verdict& v, const Options& options)
{
    if (facts.state >= 0 || v.lock_known) {
        fputs(" |", stdout);
    }
    for (const NamedBit& bit : kNamedBits) {
        if (facts.state >= 0) {
            printf(" %s=%d;;;0;1", bit.label, (static_cast<uint32_t>(facts.state) & bit.mask) != 0 ? 1 : 0);
        }
    }
    if (v.lock_known) {
        printf(" lock_held=%d;;;0;1 lock_age=%llds;0;%ld;0;", v.lock_held ? 1 : 0, v.lock_age, options.crit);
    }
}

}  // namespace

Outcome check_not_registered(int rc)
{
    printf("%sthe messaging service refused registration (ipcInit %d)\n", kCheckUnknown, rc);
    return early_return(kReadyUnknown);
}

namespace {

// The options of this run, read before it registers (check_options).
Options g_options;
bool g_options_read = false;

}  // namespace

bool check_options(Run& run, Outcome& refused)
{
    g_options_read = true;
    if (!parse_options(run, g_options, refused)) {
        return false;
    }
    g_late_size = static_cast<size_t>(snprintf(g_late, sizeof g_late,
                                               "%sthe platform did not answer within %ld s (-t)\n",
                                               kCheckUnknown, g_options.timeout));
    signal(SIGALRM, on_timeout);
    alarm(static_cast<unsigned>(g_options.timeout));
    return true;
}

Outcome cmd_haready(Run& run)
{
    Outcome refused{};
    if (!g_options_read && !check_options(run, refused)) {
        return refused;
    }
    const Options& options = g_options;
    ReadinessFacts facts{};
    read_readiness(run.cp_slot, facts);
    Verdict v{};
    judge(facts, static_cast<long long>(time(nullptr)), options.crit, v);

    printf("HAREADY %s - ", kReadyStatusWords[v.status]);
    if (v.failures > 0) {
        put_reason(v, 0, stdout);
    } else if (v.main_reason >= 0) {
        put_words(v.failed[v.main_reason], stdout, true);
    } else if (v.standby) {
        fputs("this is the standby CP; the chassis can fail over from its active CP", stdout);
    } else {
        fputs("the chassis can fail over now", stdout);
    }
    if (v.standby && (v.main_reason >= 0 || v.failures > 0)) {
        fputs(" (standby CP)", stdout);
    }
    const int more = reason_count(v) - (v.standby ? 1 : 0) - 1;
    if (more > 0) {
        printf(" (%d more reason%s)", more, more == 1 ? "" : "s");
    }
    put_performance(facts, v, options);
    putchar('\n');
    alarm(0);

    if (options.verbose) {
        for (int k = 0; k < reason_count(v); ++k) {
            if (v.standby && reason_is(v, k, Test::active)) {
                continue;  // the first line says so, and a standby that is ready is OK
            }
            put_reason(v, k, stdout);
            putchar('\n');
            if (reason_is(v, k, Test::lock_free) && v.lock_held) {
                printf("HA lock held by pid %d (", static_cast<int>(facts.lock.pid));
                put_field(facts.lock.cmd, sizeof facts.lock.cmd);
                printf("), transaction %d, for %lld s\n", static_cast<int>(facts.lock.trans), v.lock_age);
            }
        }
    }
    return leave(v.status);
}

}  // namespace haadm
