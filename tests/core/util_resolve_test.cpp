#include "util/resolve.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ResolveTest, DottedAddressesComeBackUnchanged) {
  // None of these is looked up, so no traffic leaves the machine.
  for (const std::string address : {"192.168.1.255", "127.0.0.1", "0.0.0.0", "255.255.255.255"})
    EXPECT_EQ(ResolveHost(address), address);
}

TEST(ResolveTest, LocalhostResolvesToALoopbackAddress) {
  const std::string address = ResolveHost("localhost");
  ASSERT_FALSE(address.empty());
  EXPECT_EQ(address.rfind("127.", 0), 0u) << address;
}

TEST(ResolveTest, FailuresGiveTheEmptyText) {
  EXPECT_EQ(ResolveHost("no-such-host.invalid"), "");
  EXPECT_EQ(ResolveHost(""), "");
  // A NUL would cut the name short for the system: never resolve what is left.
  EXPECT_EQ(ResolveHost(std::string("127.0.0.1\0junk", 14)), "");
  EXPECT_EQ(ResolveHost(std::string("localhost\0.invalid", 18)), "");
}

} // namespace
