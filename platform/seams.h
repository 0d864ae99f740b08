// What differs between running on a CP and running off one.
#pragma once

extern "C" {

// Directory under which the CP's file system lies: empty on a CP.
const char* platform_root(void);

// Requests on the HA manager device: without a third argument, with an integer,
// or with the address of a record.
int ham_device_request(int fd, unsigned long request);
int ham_device_request_int(int fd, unsigned long request, int arg);
int ham_device_request_ptr(int fd, unsigned long request, void* arg);

}  // extern "C"
