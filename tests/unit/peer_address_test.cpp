#include <gtest/gtest.h>

#include <cstring>

#include "haadm/enable_disable.h"

namespace {

using haadm::is_ip_address_text;

TEST(PeerAddress, OnlyAddressesMayReachTheShell)
{
    const struct {
        const char* text;
        bool address;
    } cases[] = {
        {"127.0.0.7", true},
        {"fe80::21b:21ff:fe3a:1c0", true},
        {"::ffff:192.0.2.1", true},
        {"", false},
        {" 127.0.0.7", false},
        {"127.0.0.7\n", false},
        {"127.0.0.7;reboot", false},
        {"$(reboot)", false},
        {"localhost", false},
        {"fe80::1%eth0", false},
        {"1:2:3:4:5:6:7:8:9", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(is_ip_address_text(c.text, strlen(c.text) + 1), c.address) << c.text;
    }
}

TEST(PeerAddress, TextMustEndInsideTheBuffer)
{
    const char buffer[9] = {'1', '2', '7', '.', '0', '.', '0', '.', '7'};
    EXPECT_FALSE(is_ip_address_text(buffer, sizeof buffer));
    EXPECT_FALSE(is_ip_address_text(nullptr, 8));
    char address[72] = "127.0.0.7";
    EXPECT_TRUE(is_ip_address_text(address, sizeof address));
}

}  // namespace
