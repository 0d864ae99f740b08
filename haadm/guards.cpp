#include "haadm/guards.h"

#include <getopt.h>

#include <cstdio>
#include <cstring>

#include "haadm/readiness.h"
#include "platform/rasevt.h"
#include "platform/rbac.h"

namespace haadm {
namespace {

constexpr const char* kDenied = "RBAC permission denied.";

}  // namespace

std::optional<Outcome> rbac_initialise()
{
    const int rc = rbac_init(2);
    if (rc != 0) {
        printf("Error initializing RBAC library, ret=%d\n", rc);
        return early_return(-1);
    }
    return std::nullopt;
}

int check_cli_permission(const char* command, const char* word)
{
    if (rbac_cli_opt_check(command, word) != 0) {
        puts(kDenied);
        rbac_close();
        return -1;
    }
    if (rbac_context_type_handler(command, word) != 0) {
        puts(kDenied);
        rbac_close();
        return 1;
    }
    rbac_close();
    return 0;
}

std::optional<Outcome> check_permission(const Run& run, const char* word)
{
    const char* app = geps_app_name();
    if (app != nullptr && strcmp(app, "CLI") == 0) {
        const int rc = word == nullptr
                           ? set_chassis_context(run.name, "", 1, run.argv)
                           : set_chassis_context(run.name, word, run.argc, run.argv);
        if (rc != 0) {
            puts(kDenied);
            rbac_close();
            return early_return(rc);
        }
    }
    if (check_cli_permission(run.name, word) != 0) {
        rbac_close();
        return early_return(1);
    }
    return std::nullopt;
}

std::optional<Outcome> rbac_open_and_check(const Run& run)
{
    if (auto refused = rbac_initialise()) {
        return refused;
    }
    if (run.argc == 1) {
        return check_permission(run, nullptr);
    }
    return std::nullopt;
}

Outcome refuse_standby(const Run& run)
{
    printf("%s : %s\n", kStandbyWarning, run.name);
    return leave(1);
}

Outcome refuse_standby_failover()
{
    put_words(Test::active, stdout);
    return leave(1);
}

Outcome refuse_platform(const Run& run)
{
    printf("%s %s\n", run.name, kNotSupported);
    return leave(0);
}

Outcome refuse_platform_status(const Run& run)
{
    printf("%s: %s\n", run.name, kNotSupported);
    return leave(0);
}

std::optional<Outcome> confirm_line(const Run& run, const char* question)
{
    fputs(question, stderr);
    char answer[10] = {};
    if (fgets(answer, sizeof answer, stdin) == nullptr) {
        puts("Invalid Input");
        return leave(1);
    }
    const size_t len = strlen(answer);
    if (len > 0 && answer[len - 1] == '\n') {
        answer[len - 1] = '\0';
    }
    if (strcasecmp(answer, "y") != 0) {
        printf("%s: not confirmed by user!\n", run.name);
        return leave(1);
    }
    return std::nullopt;
}

bool confirm_char(const char* question)
{
    fputs(question, stderr);
    const int c = getc(stdin);
    return c != EOF && (c & ~0x20) == 'Y';
}

void open_ras_events()
{
    if (rasevt_init("chassis", 0, "HAADM") < 0) {
        fputs("raslog_init failed for haadm\n", stderr);
    }
}

void audit(const char* function, int line, int a, int b, int event_id, const char* text)
{
    // Open the log only when nobody has, and then leave it as it was found.
    const int k = rasevt_init_check();
    if (k == 0) {
        open_ras_events();
    }
    RasEvtHandle handle{};
    rasevt_gethndl_internal(&handle);
    if (text != nullptr) {
        rasevt_log2("haadm", function, line, "QMZ", handle, a, b, event_id, text);
    } else {
        rasevt_log2("haadm", function, line, "QMZ", handle, a, b, event_id);
    }
    if (k == 0) {
        rasevt_exit();
    }
}

void print_force_help_usage(const char* command)
{
    printf("Usage: %s", command);
    printf("\nOptions :");
    printf("\n-f | -force\tForcing to do %s\n-h | -help\tDisplay command usage\n", command);
}

std::optional<Outcome> parse_force_help(Run& run, const char* command, bool& forced)
{
    // Built where it is used: a table of pointers kept in the executable is relocated
    // at every start of every command.
    const option options[] = {
        {"force", no_argument, nullptr, 'f'},
        {"help", no_argument, nullptr, 'h'},
        {nullptr, 0, nullptr, 0},
    };
    for (;;) {
        const int opt = getopt_long_only(run.argc, run.argv, "", options, nullptr);
        if (opt == -1) {
            return std::nullopt;
        }
        if (opt == 'h') {
            if (auto refused = check_permission(run, "help")) {
                return refused;
            }
            print_force_help_usage(command);
            return early_return(0);
        }
        if (opt != 'f') {
            puts("\nInvalid option");
            print_force_help_usage(command);
            return early_return(0);
        }
        if (auto refused = check_permission(run, "force")) {
            return refused;
        }
        forced = true;
    }
}

}  // namespace haadm
