// The halt message that goes before a chassis reboot.
#pragma once

// Called by name by other platform programs, hence C linkage.
extern "C" {

// On system models 200 and 201, tells the endpoint "QTXUSIPC" to halt and waits at most
// 30 seconds for its reply; elsewhere does nothing.
void sendqtxhalt(void);

}  // extern "C"
