#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "haadm/commands.h"

namespace {

using haadm::select_command;

// The row an invocation name selects, by its primary name; "" when none.
std::string selected(const char* invocation)
{
    const int row = select_command(invocation);
    return row < 0 ? "" : std::string(haadm::kCommands.at(row).names.name);
}

TEST(CommandSelection, EdgeCases)
{
    const struct {
        const char* invocation;
        const char* row;
    } cases[] = {
        {"/sbin/haShow", "hashow"},
        {"HADUMP", "hadump"},
        {"HASHOW", ""},
        {"hashow_haenable", "hashow"},
        {"hasmfreelock", ""},
        {"hahamdump", "hahamdump"},
        {"hasmrestart", "hasmshutdown"},
        {"/usr/local/hadump/sbin/hafailover", "hafailover"},
        {"", ""},
        {"haSnapshot", ""},
        {"/usr/lib/nagios/plugins/check_haready", "haready"},
        {"haready_hareboot", "hareboot"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(selected(c.invocation), c.row) << c.invocation;
        if (c.row[0] == '\0') {
            EXPECT_EQ(select_command(c.invocation), -1) << c.invocation;
        }
    }
}

TEST(ShellStatus, LowBitsZeroIsNotSuccess)
{
    EXPECT_EQ(haadm::shell_status(0), 0);
    EXPECT_EQ(haadm::shell_status(1), 1);
    EXPECT_EQ(haadm::shell_status(-1), 255);
    EXPECT_EQ(haadm::shell_status(256), 255);
    EXPECT_EQ(haadm::shell_status(-256), 255);
    EXPECT_EQ(haadm::shell_status(257), 1);
    EXPECT_EQ(haadm::shell_status(0x10000), 255);
}

}  // namespace
