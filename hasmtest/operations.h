// The operations behind the hasmtest sub-commands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "platform/hasm.h"

namespace haadm::hasmtest {

// The sub-command word (element 0) and its arguments (elements 1 onward).
struct TestArgs {
    int count;  // the word included
    char** vector;

    const char* word() const { return vector[0]; }
    bool has(int i) const { return i < count; }
    // Argument i, or fallback when it was not given.
    const char* text(int i, const char* fallback) const { return has(i) ? vector[i] : fallback; }
    int32_t number(int i, int32_t fallback = 0) const;
};

void op_swdkill(const TestArgs& args);
void op_shutdown_restart(const TestArgs& args);
void op_expand(const TestArgs& args);
void op_dump(const TestArgs& args);
void op_lpalloc(const TestArgs& args);
void op_lpfree(const TestArgs& args);
void op_lscreate(const TestArgs& args);
void op_setatt(const TestArgs& args);
void op_getatt(const TestArgs& args);
void op_setsysatt(const TestArgs& args);
void op_getsysatt(const TestArgs& args);
void op_getfid(const TestArgs& args);
void op_lsenable(const TestArgs& args);
void op_lsdisable(const TestArgs& args);
void op_lsdelete(const TestArgs& args);
void op_getport(const TestArgs& args);
void op_ethcreate(const TestArgs& args);
void op_lscheckport(const TestArgs& args);
void op_oomtest(const TestArgs& args);
void op_peer_version(const TestArgs& args);
void op_get_hsess(const TestArgs& args);
void op_set_suppress_ha(const TestArgs& args);

// The port type code of a port type word; 0 for a word without one.
int port_type_code(const char* word);

// One line of get_hsess; label is "Lsess" or "Rsess".
void print_session(FILE* out, const char* label, int rc, const HaSession& session);

}  // namespace haadm::hasmtest
