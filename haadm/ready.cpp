// haready: whether the chassis can fail over now, as a monitoring check. It reads what
// hafailover's tests read and says what they say, in their words, with the status of a
// monitoring plugin: 0 OK, 1 WARNING, 2 CRITICAL, 3 UNKNOWN. It changes nothing: no
// lock, no audit entry, no question, no permission check.
#include <getopt.h>

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

constexpr const char* kUsage =
    "Usage: haready [-v] [-w SECONDS] [-c SECONDS]\n"
    "  -v          one more line for every reason, in hafailover's words\n"
    "  -w SECONDS  a HA lock held this long is past the warning threshold (default 60)\n"
    "  -c SECONDS  a HA lock held this long is CRITICAL (default 600)\n"
    "Status: 0 OK (hafailover would go ahead), 1 WARNING (a hold that an operator or an\n"
    "upgrade ends), 2 CRITICAL (the chassis is not protected), 3 UNKNOWN.\n";

struct Options {
    bool verbose;
    long warn;
    long crit;
};

// A count of seconds: digits only, at most a year.
bool seconds(const char* text, long& value)
{
    char* end = nullptr;
    if (text == nullptr || *text < '0' || *text > '9') {
        return false;
    }
    value = strtol(text, &end, 10);
    return *end == '\0' && value >= 0 && value <= 366L * 24 * 3600;
}

bool parse_options(Run& run, Options& options)
{
    static const option kLong[] = {{"verbose", no_argument, nullptr, 'v'},
                                   {"warning", required_argument, nullptr, 'w'},
                                   {"critical", required_argument, nullptr, 'c'},
                                   {"help", no_argument, nullptr, 'h'},
                                   {nullptr, 0, nullptr, 0}};
    options = {false, 60, kLockCritical};
    opterr = 0;
    optind = 1;
    int c = 0;
    while ((c = getopt_long(run.argc, run.argv, "vw:c:h", kLong, nullptr)) != -1) {
        bool good = false;
        if (c == 'v') {
            options.verbose = good = true;
        } else if (c == 'w' || c == 'c') {
            good = seconds(optarg, c == 'w' ? options.warn : options.crit);
        }
        if (!good) {
            return false;  // -h, an unknown option or a bad value: the usage
        }
    }
    return optind == run.argc && options.warn <= options.crit;
}

// A text field of a platform record, up to its NUL, escaped: it came from another program.
void put_printable(const char* field, size_t size)
{
    const void* nul = memchr(field, '\0', size);
    const size_t length = nul == nullptr ? size : static_cast<size_t>(static_cast<const char*>(nul) - field);
    escape_printable(field, length, [](const char* bytes, size_t count) { fwrite(bytes, 1, count, stdout); });
}

// Performance data in the monitoring-plugins form, label=value[UOM];warn;crit;min;max:
// each named bit of the HA state word, the lock held and its age.
void put_performance(const ReadinessFacts& facts, const Verdict& v, const Options& options)
{
    for (const NamedBit& bit : kNamedBits) {
        if (facts.state < 0) {
            printf(" %s=U;;;0;1", bit.label);
        } else {
            printf(" %s=%d;;;0;1", bit.label, (static_cast<uint32_t>(facts.state) & bit.mask) != 0 ? 1 : 0);
        }
    }
    if (!v.lock_known) {
        printf(" lock_held=U;;;0;1 lock_age=U;%ld;%ld;0;", options.warn, options.crit);
        return;
    }
    printf(" lock_held=%d;;;0;1 lock_age=%llds;%ld;%ld;0;", v.lock_held ? 1 : 0, v.lock_age, options.warn,
           options.crit);
}

}  // namespace

Outcome cmd_haready(Run& run)
{
    Options options{};
    if (!parse_options(run, options)) {
        fputs(kUsage, stdout);
        return leave(kReadyUnknown);
    }
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
    fputs(" |", stdout);
    put_performance(facts, v, options);
    putchar('\n');

    if (options.verbose) {
        for (int k = 0; k < reason_count(v); ++k) {
            put_reason(v, k, stdout);
            putchar('\n');
            if (reason_is(v, k, Test::lock_free) && v.lock_held) {
                printf("HA lock held by pid %d (", static_cast<int>(facts.lock.pid));
                put_printable(facts.lock.cmd, sizeof facts.lock.cmd);
                printf("), transaction %d, for %lld s\n", static_cast<int>(facts.lock.trans), v.lock_age);
            }
        }
    }
    return leave(v.status);
}

}  // namespace haadm
