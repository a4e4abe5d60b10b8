#include "util/receive_buffer.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int RmemMax() {
  int bytes = 0;
  std::ifstream("/proc/sys/net/core/rmem_max") >> bytes;
  return bytes;
}

// CAP_NET_ADMIN lets a process pass net.core.rmem_max.
bool MayPassRmemMax() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.starts_with("CapEff:"))
      return (std::stoull(line.substr(7), nullptr, 16) >> 12) & 1;
  return false;
}

class ReceiveBufferTest : public testing::Test {
protected:
  void SetUp() override {
    fd_ = socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(fd_, 0);
  }
  void TearDown() override { close(fd_); }
  int fd_ = -1;
};

TEST_F(ReceiveBufferTest, ASizeWithinTheSystemCapIsGrantedWhole) {
  const TReceiveBuffer buffer = EnlargeReceiveBuffer(fd_, 64 * 1024);
  EXPECT_EQ(buffer.Requested, 64 * 1024);
  EXPECT_EQ(buffer.Granted, 64 * 1024);
  EXPECT_FALSE(buffer.Forced);
}

TEST_F(ReceiveBufferTest, PastTheSystemCapOnlyAPrivilegedProcessGetsTheSize) {
  const int rmemMax = RmemMax();
  ASSERT_GT(rmemMax, 0);
  if (rmemMax > (1 << 30))
    GTEST_SKIP() << "net.core.rmem_max is " << rmemMax << ": no size to ask for lies past it";
  const int asked = rmemMax + 1024 * 1024;
  const TReceiveBuffer buffer = EnlargeReceiveBuffer(fd_, asked);
  if (MayPassRmemMax()) {
    EXPECT_EQ(buffer.Granted, asked);
    EXPECT_TRUE(buffer.Forced);
  } else {
    EXPECT_EQ(buffer.Granted, rmemMax);
    EXPECT_FALSE(buffer.Forced);
  }
}

TEST(ReceiveBuffer, NoSocketGrantsNothingAndRaisesNothing) {
  const TReceiveBuffer buffer = EnlargeReceiveBuffer(-1, 4096);
  EXPECT_EQ(buffer.Granted, 0);
  EXPECT_FALSE(buffer.Forced);
}

TEST(ReceiveBuffer, TheTraceLineSaysWhatWasGrantedAndWhy) {
  struct Case {
    TReceiveBuffer buffer;
    std::string line;
  };
  for (const Case& c : {
           Case{{4194304, 4194304, false}, "UDP receive buffer 4194304 bytes, asked for 4194304"},
           Case{{4194304, 4194304, true},
                "UDP receive buffer 4194304 bytes, asked for 4194304, past net.core.rmem_max"},
           Case{{4194304, 212992, false},
                "UDP receive buffer 212992 bytes, asked for 4194304: net.core.rmem_max caps it, "
                "replies of a large LAN may be lost"},
           Case{{4194304, 0, false}, "UDP receive buffer of unknown size, asked for 4194304"},
       })
    EXPECT_EQ(ReceiveBufferTraceLine(c.buffer), c.line);
}

} // namespace
