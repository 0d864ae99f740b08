// hasmtest: drives the HA state machine and logical-switch libraries by hand, one
// sub-command a run. Nothing is checked beyond the number of arguments.
#include "hasmtest/hasmtest.h"

#include <cstdio>
#include <cstring>

#include "haadm/commands.h"
#include "haadm/rows.h"

namespace haadm {

Outcome cmd_hasmtest(Run& run)
{
    hasm_test(run.argc - 1, run.argv + 1);
    return leave(0);
}

namespace hasmtest {
namespace {

// What selection reads at run time: the rows' keywords without their handlers.
constexpr std::array<TestKeyword, kTestCommands.size()> kKeywords =
    parts_of(kTestCommands, &TestRow::word);

}  // namespace

int select_test_command(const char* word)
{
    for (size_t row = 0; row < kKeywords.size(); ++row) {
        if (strstr(word, kKeywords[row].keyword) != nullptr) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

void run_test_command(int index, const TestArgs& args)
{
    if (args.count - 1 < kKeywords[index].min_args) {
        return;
    }
    call_row<kTestCommands>(index, args);
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
    const int row = select_test_command(argv[0]);
    if (row < 0) {
        printf("invalid command %s\n", argv[0]);
        return 0;
    }
    run_test_command(row, TestArgs{argc, argv});
    return 0;
}
