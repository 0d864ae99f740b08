#include <gtest/gtest.h>

#include "haadm/shell.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "hasmtest/hasmtest.h"
#include "hasmtest/operations.h"
#include "hasmtest/params.h"

namespace {

using namespace haadm::hasmtest;

TEST(HasmtestNumber, ReadsLikeStrtolWithin32Bits)
{
    const struct {
        const char* text;
        int32_t value;
    } cases[] = {
        {"7x", 7},
        {"x7", 0},
        {"0x10", 0},
        {" \t\n\v\f\r42", 42},
        {"+5", 5},
        {"2147483648", INT32_MAX},
        {"-2147483649", INT32_MIN},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(to_number(c.text), c.value) << '"' << c.text << '"';
    }
    // A part of a longer text ends where the part ends.
    EXPECT_EQ(to_number(std::string_view("123-5").substr(0, 3)), 123);
}

TestParamList fresh() { return TestParamList{}; }

std::string name_of(const TestParam& e) { return std::string(e.name, strnlen(e.name, sizeof e.name)); }
std::string value_of(const TestParam& e) { return std::string(e.value, strnlen(e.value, sizeof e.value)); }

TEST(SetTestParam, TruncatesToFifteenCharacters)
{
    TestParamList list = fresh();
    set_test_param("FID", "ABCDEFGHIJKLMNOPQRST", list);
    EXPECT_EQ(value_of(list.entry[0]), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(list.entry[0].value[15], '\0');

    const char* long_name = "abcdefghijklmnopqrst";
    set_test_param(long_name, "1", list);
    ASSERT_EQ(list.count, 2);
    EXPECT_EQ(name_of(list.entry[1]), "abcdefghijklmno");
    EXPECT_EQ(list.entry[1].name[15], '\0');
    // The whole given name is compared, so the truncated entry is not found again.
    set_test_param(long_name, "2", list);
    ASSERT_EQ(list.count, 3);
    EXPECT_EQ(name_of(list.entry[2]), "abcdefghijklmno");
    EXPECT_EQ(value_of(list.entry[1]), "1");
    EXPECT_EQ(value_of(list.entry[2]), "2");
    // A name of exactly fifteen characters is found again.
    set_test_param("abcdefghijklmno", "3", list);
    EXPECT_EQ(list.count, 3);
    EXPECT_EQ(value_of(list.entry[1]), "3");
}

TEST(SetTestParam, FullListRefusesNewNames)
{
    TestParamList list = fresh();
    char name[8];
    for (int i = 0; i < 17; ++i) {
        snprintf(name, sizeof name, "P%d", i);
        set_test_param(name, "v", list);
    }
    ASSERT_EQ(list.count, 17);
    const TestParamList before = list;
    set_test_param("EXTRA", "x", list);
    EXPECT_EQ(memcmp(&list, &before, sizeof list), 0);
    // An existing name is still replaced.
    set_test_param("p16", "w", list);
    EXPECT_EQ(list.count, 17);
    EXPECT_EQ(value_of(list.entry[16]), "w");

    TestParamList corrupt = fresh();
    corrupt.count = -1;
    set_test_param("FID", "1", corrupt);
    EXPECT_EQ(corrupt.count, -1);
    EXPECT_EQ(corrupt.entry[0].name[0], '\0');
}

TEST(HasmtestPortTypes, WordsAndCodes)
{
    const struct {
        const char* word;
        int code;
    } cases[] = {
        {"VE", 1},   {"ge", 2},   {"Lp", 3},    {"ISL", 4},   {"FPGA", 5}, {"ftrk", 6},
        {"LISL", 7}, {"VSAN", 8}, {"FCOE", 11}, {"fcvf", 12}, {"FC", 0},   {"ISL ", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(port_type_code(c.word), c.code) << c.word;
    }
}

TEST(ShellLine, IsWholeOrRefused)
{
    char line[64];
    ASSERT_TRUE(haadm::format_line(line, sizeof line, "%s/bin/cat %s", "", "/tmp/hasmdump.42"));
    EXPECT_STREQ(line, "/bin/cat /tmp/hasmdump.42");
    ASSERT_TRUE(haadm::format_line(line, sizeof line, "%s/bin/cat %s", "/c", "/c/tmp/hasmdump.42"));
    EXPECT_STREQ(line, "/c/bin/cat /c/tmp/hasmdump.42");

    // "/bin/cat /tmp/hasmdump.42" is 25 characters: it needs 26 bytes.
    char exact[26];
    EXPECT_TRUE(haadm::format_line(exact, sizeof exact, "%s/bin/cat %s", "", "/tmp/hasmdump.42"));
    char short_by_one[25];
    EXPECT_FALSE(
        haadm::format_line(short_by_one, sizeof short_by_one, "%s/bin/cat %s", "", "/tmp/hasmdump.42"));
    EXPECT_STREQ(short_by_one, "");
    // A line that does not fit its limit is not run: nothing starts and -1 comes back.
    EXPECT_EQ(haadm::run_shell(8, "%s", "exit 0 # longer than eight"), -1);
    EXPECT_EQ(haadm::run_shell(64, "%s", "exit 3"), 3 << 8);
}

// The fill loop of the parameter list stops at its last entry even when the count says
// more: the entry behind the list, which a matching name would otherwise reach, stays
// as it was.
TEST(SetTestParam, NeverLooksPastTheList)
{
    struct Guarded {
        TestParamList list;
        TestParam after;
    } g{};
    static_assert(offsetof(Guarded, after) == sizeof(TestParamList));
    g.list.count = 18;
    copy_field(g.after.name, sizeof g.after.name, "BEHIND");
    copy_field(g.after.value, sizeof g.after.value, "kept");
    const Guarded before = g;
    set_test_param("behind", "changed", g.list);
    EXPECT_EQ(memcmp(&g, &before, sizeof g), 0);
    EXPECT_STREQ(g.after.value, "kept");
}

// The exported entry returns 0 whatever it is given, a missing sub-command included.
TEST(HasmTest, ReturnsZeroWithoutASubCommand)
{
    char* none[] = {nullptr};
    EXPECT_EQ(hasm_test(0, none), 0);
    EXPECT_EQ(hasm_test(1, none), 0);
    EXPECT_EQ(hasm_test(0, nullptr), 0);
    char unknown[] = "nosuchtest";
    char* one[] = {unknown, nullptr};
    EXPECT_EQ(hasm_test(1, one), 0);
    // A sub-command that selects its row but lacks its argument runs nothing, also 0.
    char lsenable[] = "lsenable";
    char* short_of_one[] = {lsenable, nullptr};
    EXPECT_EQ(hasm_test(1, short_of_one), 0);
}

}  // namespace
