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
namespace {

// What selection reads at run time: the rows' keywords without their handlers.
constexpr std::array<TestKeyword, kTestCommands.size()> keywords_of_rows()
{
    std::array<TestKeyword, kTestCommands.size()> words{};
    for (size_t row = 0; row < kTestCommands.size(); ++row) {
        words[row] = kTestCommands[row].word;
    }
    return words;
}

constexpr std::array<TestKeyword, kTestCommands.size()> kKeywords = keywords_of_rows();

// Calls the handler of row index directly, a constant here: rows I and on are tried in turn.
template <size_t I = 0>
void run_row(int index, const TestArgs& args)
{
    if constexpr (I < kTestCommands.size()) {
        if (index == static_cast<int>(I)) {
            constexpr TestHandler handler = kTestCommands[I].handler;
            handler(args);
            return;
        }
        run_row<I + 1>(index, args);
    }
}

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
    run_row(index, args);
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
