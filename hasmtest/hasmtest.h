// The hasmtest sub-command table and the harness's exported entry.
#pragma once

#include <array>

#include "hasmtest/operations.h"

// Runs one sub-command: argv[0] is the sub-command word. Always returns 0.
extern "C" int hasm_test(int argc, char** argv);

namespace haadm::hasmtest {

using TestHandler = void (*)(const TestArgs& args);

// Read at compile time only, as the command table is (haadm/commands.h): the keywords
// through select_test_command, the handlers through run_test_command's direct calls.
struct TestKeyword {
    char keyword[20];
    int min_args;  // arguments after the word
};

struct TestRow {
    TestKeyword word;
    TestHandler handler;
};

// Tried top to bottom; the first keyword that occurs anywhere in the word wins, so
// "deexpand" reaches "expand" and a word holding "shutdown" or "restart" shares a body.
inline constexpr std::array<TestRow, 23> kTestCommands{{
    {{"swdkill", 0}, op_swdkill},
    {{"shutdown", 1}, op_shutdown_restart},
    {{"restart", 1}, op_shutdown_restart},
    {{"expand", 3}, op_expand},
    {{"dump", 0}, op_dump},
    {{"lpalloc", 0}, op_lpalloc},
    {{"lpfree", 2}, op_lpfree},
    {{"lscreate", 0}, op_lscreate},
    {{"setatt", 3}, op_setatt},
    {{"getatt", 2}, op_getatt},
    {{"setsysatt", 2}, op_setsysatt},
    {{"getsysatt", 1}, op_getsysatt},
    {{"getfid", 1}, op_getfid},
    {{"lsenable", 1}, op_lsenable},
    {{"lsdisable", 1}, op_lsdisable},
    {{"lsdelete", 1}, op_lsdelete},
    {{"getport", 4}, op_getport},
    {{"ethcreate", 0}, op_ethcreate},
    {{"lscheckport", 2}, op_lscheckport},
    {{"oomtest", 0}, op_oomtest},
    {{"ls_get_peer_version", 0}, op_peer_version},
    {{"get_hsess", 0}, op_get_hsess},
    {{"set_suppress_ha", 0}, op_set_suppress_ha},
}};

// The index in kTestCommands of the row that the sub-command word selects, or -1 when
// none does.
int select_test_command(const char* word);

// Runs row index of kTestCommands (0 <= index < kTestCommands.size()) when args has at
// least the row's number of arguments.
void run_test_command(int index, const TestArgs& args);

}  // namespace haadm::hasmtest
