// The reboot reason store: why this CP was restarted, kept across the restart in small
// text files, reported once afterwards and handed to the HA manager.
#pragma once

namespace reboot {

// The reason files, as paths of the CP's file system.
inline constexpr const char* kReasonFile = "/var/rb_reason";
inline constexpr const char* kAltReasonFile = "/tmp/rb_reason.alt";
inline constexpr const char* kSecondaryReasonFile = "/mnt/var/rb_reason";

// A reason as read back from a file: at most 63 characters and the NUL.
inline constexpr int kReasonSize = 64;

}  // namespace reboot

// Called by name by other platform programs, hence C linkage.
extern "C" {

// Records reason in the reboot reason file unless the file already holds one.
// 0: written and the HA manager told; -1: not written.
int reboot_reason_set(const char* reason);

// After a restart: logs the recorded reason, hands it to the HA manager and empties the
// reboot reason file and the secondary one.
void report_reboot_reason(void);

// Hands reason (its first 31 characters) to the HA manager.
void ham_set_reboot_reason(const char* reason);

}  // extern "C"
