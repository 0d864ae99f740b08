// The one escaper of what the simulator shows, and its messages: nothing read from
// outside (a file, an argument, the environment) reaches a terminal raw.
#include "sim/store/escape.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/check.h"
#include "common/printable.h"

namespace sim {

void complain(const std::string& message)
{
    fprintf(stderr, "chassis-sim: %s\n", printable(message).c_str());
}

void fatal(const std::string& message)
{
    complain(message);
    // A monitoring check answers as a check still: an engine reads only its first line on
    // standard output and its status.
    if (strstr(program_invocation_short_name, haadm::kCheckName) != nullptr) {
        fputs(haadm::kCheckUnknown, stdout);
        haadm::escape_printable(message.data(), message.size(),
                                [](const char* bytes, size_t count) { fwrite(bytes, 1, count, stdout); }, "|");
        putchar('\n');
        exit(haadm::kCheckUnknownStatus);
    }
    exit(125);
}

std::string printable(const std::string& text)
{
    std::string shown;
    haadm::escape_printable(text.data(), text.size(),
                            [&shown](const char* bytes, size_t count) { shown.append(bytes, count); });
    return shown;
}

std::string json_printable(const std::string& text)
{
    std::string shown;
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const unsigned char next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (c == 0x7f || (c == 0xc2 && next >= 0x80 && next <= 0x9f)) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\u%04x", c == 0x7f ? c : next);
            shown += escaped;
            i += c == 0x7f ? 0 : 1;
        } else {
            shown += text[i];
        }
    }
    return shown;
}

}  // namespace sim
