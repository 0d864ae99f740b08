// Command lines run through the shell: built whole within a limit or not run at all.
#pragma once

#include <cstddef>

namespace haadm {

// The longest limit a caller may give.
inline constexpr size_t kShellLineMax = 4 * 4096 + 128;

// Formats into line (size bytes). False, with line empty, when the text does not fit:
// a cut command line would run something else.
[[gnu::format(printf, 3, 4)]] bool format_line(char* line, size_t size, const char* format, ...);

// Formats a command line of fewer than limit bytes (at most kShellLineMax) and runs it
// with system() after flushing this process's output. system()'s result, or -1 when the
// line did not fit and nothing ran.
[[gnu::format(printf, 2, 3)]] int run_shell(size_t limit, const char* format, ...);

}  // namespace haadm
