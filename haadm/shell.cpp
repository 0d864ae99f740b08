// The one way the commands run a shell command line.
#include "haadm/shell.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace haadm {
namespace {

bool vformat_line(char* line, size_t size, const char* format, va_list args)
{
    const int n = vsnprintf(line, size, format, args);
    if (n < 0 || static_cast<size_t>(n) >= size) {
        if (size > 0) {
            line[0] = '\0';
        }
        return false;
    }
    return true;
}

}  // namespace

bool format_line(char* line, size_t size, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const bool whole = vformat_line(line, size, format, args);
    va_end(args);
    return whole;
}

int run_shell(size_t limit, const char* format, ...)
{
    static char line[kShellLineMax];
    va_list args;
    va_start(args, format);
    const bool whole = vformat_line(line, limit < sizeof line ? limit : sizeof line, format, args);
    va_end(args);
    if (!whole) {
        return -1;
    }
    // What this process printed comes before what the child prints.
    fflush(stdout);
    fflush(stderr);
    return system(line);
}

}  // namespace haadm
