// The monitoring check: the name it runs under (check_haready too), and how it ends when
// it cannot judge: "HAREADY UNKNOWN - WHY" as the first line on standard output, status 3.
// The tool's check answers so, and so does the simulated chassis when it must end a
// check that it cannot serve (a damaged state, a lock it may not open).
#pragma once

namespace haadm {

inline constexpr const char* kCheckName = "haready";
inline constexpr const char* kCheckUnknown = "HAREADY UNKNOWN - ";
inline constexpr int kCheckUnknownStatus = 3;

}  // namespace haadm
