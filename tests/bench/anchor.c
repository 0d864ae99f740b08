/* The calls of one hashow run against the platform stub, made by a plain C program: the
 * floor the tool's own run is measured against (same stub, same start-up, same output). */
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
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

int main(int argc, char** argv)
{
    (void)argc;
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
    if (getThisCPSlot() == 0) {
        printf("%s: %s\n", argv[0], "Not supported on this platform");
    }
    ipcExit();
    if (fflush(stdout) != 0 || ferror(stdout) != 0) {
        exit(255);
    }
    exit(0);
}
