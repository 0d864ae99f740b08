// The one escaper of what the simulator shows, and the way its messages go out: a message
// may quote what came from outside (a file, an argument, the environment), and nothing of
// that may drive the terminal.
#pragma once

#include <string>

namespace sim {

// TEXT with every control (below 0x20, 0x7f, C1 as a byte or in its UTF-8 form) written
// as \n, \t or \xHH (each byte of it), so that nothing read from the chassis drives the terminal.
std::string printable(const std::string& text);

// A JSON text the parser took whole, with DEL and the C1 controls (which JSON lets
// stand raw) written as \u00XX; the other controls are escaped in such a text already.
std::string json_printable(const std::string& text);

// Says message on standard error after "chassis-sim: ", through printable().
void complain(const std::string& message);
// complain(), then ends the process (status 125); for a chassis that cannot be used.
[[noreturn]] void fatal(const std::string& message);

}  // namespace sim
