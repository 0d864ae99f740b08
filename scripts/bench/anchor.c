/* The calls of one hashow run against the platform stub, made by a plain C program: the
 * floor the tool's own run is measured against (same stub, same start-up, the same look
 * for its name in argv[0], same output).
 *
 * Built with -DSAME_INTERFACE and the bench's interface.h, it also has the tool's
 * interface: it imports every function the tool imports (a multi-call executable links all
 * its commands' calls, and the loader prepares each at every start), defines and exports
 * what the tool exports, and refers to stdin as the confirmation prompts do. What the tool
 * costs beyond that program is its own. */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

int ipc_max_msg_size(int channel);
int ipcInit(const char* client, uint16_t pid, int max_msg_size, int flags);
void ipcExit(void);
int ficulibInit(void);
int nslibInit(void);
int esslibInit(void);
int zonelibInit(void);
int ns_condb_attach_impl(const char* function, const char* module, int line);
int getThisCPSlot(void);

#ifdef SAME_INTERFACE
#include "interface.h"  /* IMPORTS: X(name) for each function the tool imports */
#define X(name) extern void anchor_##name(void) __asm__(#name);
IMPORTS
#undef X
int cfg_time, esm_fips_state_t, eFICU_IPC_TIME_STATS, ep_auth_e, eFICU_API_TIME_STATS,
    ep_mgmt_e, esm_fips_test_t, esm_scn_evt_e;
char sa_td[32];
void esm_trace(void) {}
int hasm_test(int argc, char** argv) { return argc + (argv != NULL); }
int reboot_reason_set(int a) { return a; }
int report_reboot_reason(int a) { return a; }
int ham_set_reboot_reason(int a) { return a; }
int sendqtxhalt(int a) { return a; }

static void never_called(void)
{
#define X(name) anchor_##name();
    IMPORTS
#undef X
    (void)getc(stdin);
}
#endif

int main(int argc, char** argv)
{
    (void)argc;
#ifdef SAME_INTERFACE
    if (argc < 0) {
        never_called();
    }
#endif
    const pid_t pid = getpid();
    const int max_size = ipc_max_msg_size(0);
    const int rc = ipcInit("HAADM", (uint16_t)pid, max_size, 0);
    if (rc != 0) {
        fprintf(stderr, "IpcInit failed .Error code = %d\n", rc);
        return rc;
    }
    ficulibInit();
    nslibInit();
    esslibInit();
    zonelibInit();
    ns_condb_attach_impl("main", "haadm", 183);
    if (strstr(argv[0], "hashow") == NULL) {
        exit(255);
    }
    if (getThisCPSlot() == 0) {
        printf("%s: %s\n", argv[0], "Not supported on this platform");
    }
    ipcExit();
    if (fflush(stdout) != 0 || ferror(stdout) != 0) {
        exit(255);
    }
    exit(0);
}
