// The Local CP / Remote CP report, printed by hashow and hafailover.
#pragma once

namespace haadm {

// Prints the status lines; 0 when the full report was printed, -1 otherwise.
int print_status_lines();

}  // namespace haadm
