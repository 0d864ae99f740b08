// The Local CP / Remote CP report, printed by hashow and hafailover.
#pragma once

namespace haadm {

// The line that stands for the whole report while HA is suppressed (sic).
inline constexpr char kSuppressedLine[] = "HA supressed";

// Prints the status lines; 0 when the full report was printed, -1 otherwise.
int print_status_lines();

}  // namespace haadm
