#include "util/poll_sockets.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <deque>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

std::uint16_t BoundPort(int fd) {
  sockaddr_in local{};
  socklen_t length = sizeof local;
  getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length);
  return ntohs(local.sin_port);
}

// A port nothing holds just now.
std::uint16_t FreePort() {
  const int probe = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in any{};
  any.sin_family = AF_INET;
  bind(probe, reinterpret_cast<const sockaddr*>(&any), sizeof any);
  const std::uint16_t port = BoundPort(probe);
  close(probe);
  return port;
}

class PollSocketsTest : public testing::Test {
protected:
  void TearDown() override {
    for (const auto& group : groups_)
      for (const int fd : group)
        close(fd);
  }
  const std::vector<int>& Open(std::uint16_t port) {
    return groups_.emplace_back(OpenPollSockets(port));
  }
  std::deque<std::vector<int>> groups_; // stays where it is as groups are added
};

TEST_F(PollSocketsTest, TheWholeGroupSharesTheAskedPort) {
  const auto port = FreePort();
  const auto& group = Open(port);
  ASSERT_EQ(group.size(), static_cast<std::size_t>(kPollSocketCount));
  for (const int fd : group)
    EXPECT_EQ(BoundPort(fd), port);
}

// A second program's group must not join the first, or each would get only
// some of its own replies.
TEST_F(PollSocketsTest, ASecondGroupTakesAnotherPort) {
  const auto port = FreePort();
  const auto& first = Open(port);
  const auto& second = Open(port);
  ASSERT_EQ(second.size(), static_cast<std::size_t>(kPollSocketCount));
  EXPECT_EQ(BoundPort(first.front()), port);
  EXPECT_NE(BoundPort(second.front()), port);
  EXPECT_NE(BoundPort(second.front()), 0);
  for (const int fd : second)
    EXPECT_EQ(BoundPort(fd), BoundPort(second.front()));
}

TEST_F(PollSocketsTest, APortHeldByAnotherProgramIsLeftToIt) {
  const auto port = FreePort();
  const int other = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(port);
  ASSERT_EQ(bind(other, reinterpret_cast<const sockaddr*>(&local), sizeof local), 0);
  const auto& group = Open(port);
  close(other);
  EXPECT_NE(BoundPort(group.front()), port);
}

// The replies of many senders are shared out among the sockets, so the group
// holds more of a burst than one buffer does.
TEST_F(PollSocketsTest, RepliesOfManySendersAreSharedOutAmongTheSockets) {
  const auto& group = Open(0);
  const int smallest = 1;
  for (const int fd : group)
    setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &smallest, sizeof smallest);
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  to.sin_port = htons(BoundPort(group.front()));
  const std::string reply(600, 'r');
  for (int host = 1; host <= 200; ++host) {
    const int sender = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    from.sin_addr.s_addr = htonl(0x7F000000u | static_cast<std::uint32_t>(host));
    ASSERT_EQ(bind(sender, reinterpret_cast<const sockaddr*>(&from), sizeof from), 0);
    sendto(sender, reply.data(), reply.size(), 0, reinterpret_cast<const sockaddr*>(&to),
           sizeof to);
    close(sender);
  }
  int holding = 0;
  int held = 0;
  for (const int fd : group) {
    int here = 0;
    char buffer[1024];
    while (recv(fd, buffer, sizeof buffer, MSG_DONTWAIT) > 0)
      ++here;
    holding += here > 0;
    held += here;
  }
  EXPECT_GT(holding, kPollSocketCount / 2) << held << " datagrams held";
}

} // namespace
