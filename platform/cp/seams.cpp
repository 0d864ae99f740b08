// On a CP the file system is the CP's own and the HA manager device is a real device.
#include "platform/seams.h"

#include <sys/ioctl.h>

extern "C" {

const char* platform_root(void) { return ""; }

int ham_device_request(int fd, unsigned long request) { return ioctl(fd, request); }

int ham_device_request_int(int fd, unsigned long request, int arg)
{
    return ioctl(fd, request, arg);
}

int ham_device_request_ptr(int fd, unsigned long request, void* arg)
{
    return ioctl(fd, request, arg);
}

}  // extern "C"
