// The network identity: the login name of the real user and the computer
// name, each empty when its lookup fails.

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include "system/network.hpp"

namespace {

TEST(Network, TheRealUserAndTheHostNameBeforeItsFirstDot) {
    const passwd* pw = getpwuid(getuid());
    ASSERT_NE(pw, nullptr);
    EXPECT_EQ(sys::Network::UserName(), pw->pw_name);
    char host[256] = {};
    ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
    std::string h = host;
    EXPECT_EQ(sys::Network::ComputerName(), h.substr(0, h.find('.')));
    EXPECT_EQ(sys::Network::ComputerName().find('.'), std::string::npos);
}

TEST(Network, TheComputerNameIsCutAtTheFirstDotAndFailedLookupsAreEmpty) {
    struct Case {
        const char* host;
        const char* computer;
    };
    for (const Case& c : {Case{"box", "box"}, Case{"box.example.org", "box"}, Case{".lead", ""}, Case{"", ""}})
        EXPECT_EQ(sys::Network::ComputerNameOf(c.host), c.computer) << c.host;
    {
        sys::Network::ScopedLookups lookups("jo", "desk.home.example");
        EXPECT_EQ(sys::Network::UserName(), "jo");
        EXPECT_EQ(sys::Network::ComputerName(), "desk");
    }
    {
        sys::Network::ScopedLookups lookups(std::nullopt, std::nullopt);
        EXPECT_EQ(sys::Network::UserName(), "");
        EXPECT_EQ(sys::Network::ComputerName(), "");
    }
    EXPECT_EQ(sys::Network::UserName(), getpwuid(getuid())->pw_name);
}

}  // namespace
