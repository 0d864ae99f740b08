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
        {"10.0.0.1", true},
        {"255.255.255.255", true},
        {"0.0.0.0", true},
        {"::1", true},
        {"fe80::21b:21ff:fe3a:1c0", true},
        {"2001:DB8:0:0:8:800:200C:417A", true},
        {"::ffff:192.0.2.1", true},
        {"", false},
        {" 127.0.0.7", false},
        {"127.0.0.7 ", false},
        {"127.0.0.7\n", false},
        {"127.0.0.7;reboot", false},
        {"127.0.0.7 -c 1000", false},
        {"$(reboot)", false},
        {"`reboot`", false},
        {"'127.0.0.7'", false},
        {"\"127.0.0.7\"", false},
        {"127.0.0.7|sh", false},
        {"127.0.0.7&", false},
        {"localhost", false},
        {"1.2.3", false},
        {"1.2.3.4.5", false},
        {"256.1.1.1", false},
        {"1.2.3.-4", false},
        {"1..2.3", false},
        {"fe80::1%eth0", false},
        {"1:2:3:4:5:6:7:8:9", false},
        {"::g", false},
        {":::", false},
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
