// Start-up: register with the messaging service, start the client libraries, read the
// CP slot and run the command that the invocation name selects. Only this file ends runs.
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "haadm/commands.h"
#include "platform/client_libs.h"
#include "platform/ham.h"
#include "platform/messaging.h"

namespace haadm {
namespace {

// Whether this run is the monitoring check, whose every ending is a check's status.
bool g_check = false;

// Standard output that could not be written is a failed run, whatever the command said;
// for the check, UNKNOWN.
int checked_status(int status)
{
    if (fflush(stdout) != 0 || ferror(stdout) != 0) {
        fputs("haadm: write error on standard output\n", stderr);
        return g_check ? 3 : status == 0 ? 255 : shell_status(status);
    }
    return shell_status(status);
}

int finish(Outcome outcome)
{
    switch (outcome.ending) {
    case Ending::common_exit:
        ipcExit();
        exit(checked_status(outcome.status));
    case Ending::direct_exit:
        exit(checked_status(outcome.status));
    case Ending::early_return:
        break;
    }
    return checked_status(outcome.status);
}

}  // namespace
}  // namespace haadm

int main(int argc, char** argv)
{
    using namespace haadm;
    if (argc < 1 || argv[0] == nullptr) {
        return 255;  // nothing to select a command by
    }
    const int row = select_command(argv[0]);
    g_check = row == kCheckRow;
    Outcome refused{};
    Run before{argc, argv, argv[0], 0};
    if (g_check && !check_options(before, refused)) {
        return finish(direct_exit(refused.status));
    }
    const pid_t pid = getpid();
    const int max_size = ipc_max_msg_size(0);
    const int rc = ipcInit("HAADM", static_cast<uint16_t>(pid), max_size, 0);
    if (rc != 0 && g_check) {
        return finish(check_not_registered(rc));
    }
    if (rc != 0) {
        fprintf(stderr, "IpcInit failed .Error code = %d\n", rc);
        return finish(early_return(rc));
    }
    ficulibInit();
    nslibInit();
    esslibInit();
    zonelibInit();
    ns_condb_attach_impl("main", "haadm", 183);
    Run run{argc, argv, argv[0], getThisCPSlot()};
    if (row < 0) {
        return finish(leave(-1));
    }
    return finish(run_command(row, run));
}
