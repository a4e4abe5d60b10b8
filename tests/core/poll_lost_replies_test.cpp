#include "poll/LostReplies.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

#include "util/receive_buffer.h"

namespace {

// The drop counts a socket reports one read after another, and how many
// notices they give.
struct TCase {
  const char* label;
  std::vector<std::uint32_t> counts;
  int notices;
};

class LostRepliesTest : public testing::TestWithParam<TCase> {};

TEST_P(LostRepliesTest, TheFirstLossIsToldOnceAndNothingElse) {
  TLostReplies lost;
  int notices = 0;
  for (const std::uint32_t count : GetParam().counts)
    notices += lost.Notice(count, 212992).has_value();
  EXPECT_EQ(notices, GetParam().notices);
}

INSTANTIATE_TEST_SUITE_P(, LostRepliesTest,
                         testing::Values(TCase{"none_lost", {0, 0, 0}, 0},
                                         TCase{"lost_at_once", {7}, 1},
                                         TCase{"lost_later", {0, 0, 3}, 1},
                                         TCase{"lost_again_and_again", {0, 3, 3, 9, 400}, 1}),
                         [](const testing::TestParamInfo<TCase>& caseInfo) {
                           return std::string(caseInfo.param.label);
                         });

TEST(LostRepliesNotice, NamesTheBufferAndTheSysctlThatEnlargesIt) {
  TLostReplies lost;
  const auto notice = lost.Notice(1, 212992);
  ASSERT_TRUE(notice);
  EXPECT_NE(notice->find("212992 bytes"), std::string::npos) << *notice;
  EXPECT_NE(notice->find("sysctl -w net.core.rmem_max=" + std::to_string(kPollReceiveBufferBytes)),
            std::string::npos)
      << *notice;
  EXPECT_NE(notice->find("/etc/sysctl.d"), std::string::npos) << *notice;
}

// A fresh socket has lost nothing; the count is readable without a datagram.
TEST(ReceiveDrops, AFreshSocketReportsNone) {
  const int fd = socket(AF_INET, SOCK_DGRAM, 0);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(ReceiveDrops(fd), 0u);
  close(fd);
}

// Datagrams sent on loopback to a socket with the smallest buffer: the
// system drops what does not fit, and the count says how many.
TEST(ReceiveDrops, CountsTheDatagramsAFullBufferRefused) {
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
  ASSERT_GE(fd, 0);
  const int smallest = 1;
  setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &smallest, sizeof smallest);
  sockaddr_in self{};
  self.sin_family = AF_INET;
  self.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&self), sizeof self), 0);
  socklen_t length = sizeof self;
  ASSERT_EQ(getsockname(fd, reinterpret_cast<sockaddr*>(&self), &length), 0);
  const std::vector<char> payload(1000, 'x');
  for (int sent = 0; sent < 100; ++sent)
    sendto(fd, payload.data(), payload.size(), 0, reinterpret_cast<const sockaddr*>(&self),
           sizeof self);
  const auto dropped = ReceiveDrops(fd);
  close(fd);
  ASSERT_TRUE(dropped);
  EXPECT_GT(*dropped, 50u);
}

TEST(ReceiveDrops, NothingForAClosedDescriptor) {
  EXPECT_FALSE(ReceiveDrops(-1));
}

} // namespace
