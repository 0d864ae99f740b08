// hasmtest: drives the HA state machine and logical-switch libraries by hand, one
// sub-command a run. Nothing is checked beyond the number of arguments.
#include "hasmtest/hasmtest.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "haadm/commands.h"

namespace haadm {

Outcome cmd_hasmtest(Run& run)
{
    hasm_test(run.argc - 1, run.argv + 1);
    return leave(0);
}

namespace hasmtest {
namespace {

// What selection reads at run time: the rows without their handlers.
struct RowWord {
    char keyword[sizeof TestRow::keyword];
    int min_args;
};

constexpr std::array<RowWord, kTestCommands.size()> kWords = [] {
    std::array<RowWord, kTestCommands.size()> words{};
    for (size_t row = 0; row < kTestCommands.size(); ++row) {
        for (size_t i = 0; i < sizeof TestRow::keyword; ++i) {
            words[row].keyword[i] = kTestCommands[row].keyword[i];
        }
        words[row].min_args = kTestCommands[row].min_args;
    }
    return words;
}();

template <size_t I>
void run_row(const TestArgs& args)
{
    constexpr TestHandler handler = kTestCommands[I].handler;
    handler(args);
}

template <size_t... I>
void run_row_of(int index, const TestArgs& args, std::index_sequence<I...> /*rows*/)
{
    (void)((index == static_cast<int>(I) && (run_row<I>(args), true)) || ...);
}

}  // namespace

int select_test_command(const char* word)
{
    for (size_t row = 0; row < kWords.size(); ++row) {
        if (strstr(word, kWords[row].keyword) != nullptr) {
            return static_cast<int>(row);
        }
    }
    return -1;
}

void run_test_command(int index, const TestArgs& args)
{
    if (args.count - 1 < kWords[index].min_args) {
        return;
    }
    run_row_of(index, args, std::make_index_sequence<kTestCommands.size()>{});
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
