// Opening, reading and writing files: the chassis's own and those people name.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <string>

namespace sim {

// Opens path close-on-exec on a descriptor above 2, so that a closed standard stream is
// never taken by the simulator's files; as open(2).
int open_file(const std::string& path, int flags, mode_t mode = 0);
// Appends everything left to read from fd to text, or stops once text holds more than
// limit bytes; false with errno set on an error.
bool read_all(int fd, std::string& text, size_t limit = SIZE_MAX);
// As open_file, for the chassis's own files (state, journal, lock): one that is there
// but not a regular file ends the process instead of being waited on or written into.
// The file's status goes to info when it is given.
int open_own(const std::string& path, int flags, mode_t mode = 0, struct stat* info = nullptr);
// The whole of one of the chassis's own files; one that cannot be read ends the process.
std::string read_file(const std::string& path);
// Writes all of text to fd; false with errno set when it could not.
bool write_all(int fd, const std::string& text);

}  // namespace sim
