// hasmtest: drives the HA state machine and logical-switch libraries by hand, one
// sub-command a run. Nothing is checked beyond the number of arguments.
#include "hasmtest/hasmtest.h"

#include <cstdio>
#include <cstring>

#include "haadm/commands.h"

namespace haadm {

Outcome cmd_hasmtest(Run& run)
{
    hasm_test(run.argc - 1, run.argv + 1);
    return leave(0);
}

namespace hasmtest {

const TestRow* select_test_command(const char* word)
{
    for (const TestRow& row : kTestCommands) {
        // Keywords are literals, so data() is NUL-terminated.
        if (strstr(word, row.keyword.data()) != nullptr) {
            return &row;
        }
    }
    return nullptr;
}

}  // namespace hasmtest
}  // namespace haadm

extern "C" int hasm_test(int argc, char** argv)
{
    using namespace haadm::hasmtest;
    // Without a sub-command word there is nothing to run, as for too few arguments.
    if (argc < 1 || argv == nullptr || argv[0] == nullptr) {
        return 0;
    }
    const TestRow* row = select_test_command(argv[0]);
    if (row == nullptr) {
        printf("invalid command %s\n", argv[0]);
        return 0;
    }
    if (argc - 1 < row->min_args) {
        return 0;
    }
    row->handler(TestArgs{argc, argv});
    return 0;
}
