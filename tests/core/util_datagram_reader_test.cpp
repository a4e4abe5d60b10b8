#include "util/DatagramReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

// Two sockets read by one reader, and a sender on 127.0.0.5.
class DatagramReaderTest : public testing::Test {
protected:
  void SetUp() override {
    for (int& fd : sockets_) {
      fd = socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
      ASSERT_GE(fd, 0);
      sockaddr_in local{};
      local.sin_family = AF_INET;
      local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      ASSERT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local), 0);
    }
    sender_ = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    from.sin_addr.s_addr = htonl(0x7F000005);
    ASSERT_EQ(bind(sender_, reinterpret_cast<const sockaddr*>(&from), sizeof from), 0);
  }
  void TearDown() override {
    for (const int fd : sockets_)
      close(fd);
    close(sender_);
  }
  void SendTo(int socketIndex, const std::string& bytes) {
    sockaddr_in to{};
    socklen_t length = sizeof to;
    getsockname(sockets_[socketIndex], reinterpret_cast<sockaddr*>(&to), &length);
    sendto(sender_, bytes.data(), bytes.size(), 0, reinterpret_cast<const sockaddr*>(&to),
           sizeof to);
  }
  // What the reader took, once it has `count` datagrams (or 10 s passed).
  static std::vector<TDatagramReader::TDatagram> TakeAtLeast(TDatagramReader& reader,
                                                             std::size_t count) {
    std::vector<TDatagramReader::TDatagram> taken;
    while (taken.size() < count) {
      pollfd wake{reader.WakeFd(), POLLIN, 0};
      if (poll(&wake, 1, 10000) <= 0)
        break;
      for (auto& datagram : reader.Take())
        taken.push_back(std::move(datagram));
    }
    return taken;
  }
  int SenderPort() const {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    getsockname(sender_, reinterpret_cast<sockaddr*>(&local), &length);
    return ntohs(local.sin_port);
  }

  int sockets_[2] = {-1, -1};
  int sender_ = -1;
};

TEST_F(DatagramReaderTest, DatagramsOfEverySocketAreTakenWithTheirSenders) {
  TDatagramReader reader({sockets_[0], sockets_[1]});
  SendTo(0, "first");
  SendTo(1, "second");
  const auto taken = TakeAtLeast(reader, 2);
  ASSERT_EQ(taken.size(), 2u);
  std::vector<std::string> bytes;
  for (const auto& datagram : taken) {
    EXPECT_EQ(DottedIp(datagram.SenderIp), "127.0.0.5");
    EXPECT_EQ(datagram.SenderPort, SenderPort());
    EXPECT_EQ(datagram.ByteCount, static_cast<int32_t>(datagram.Bytes.size()));
    bytes.push_back(datagram.Bytes);
  }
  std::sort(bytes.begin(), bytes.end());
  EXPECT_EQ(bytes, (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(reader.Dropped(), 0u);
}

TEST_F(DatagramReaderTest, OneSocketsDatagramsKeepTheirOrder) {
  TDatagramReader reader({sockets_[0]});
  std::vector<std::string> sent;
  for (int i = 0; i < 200; ++i)
    SendTo(0, sent.emplace_back("reply " + std::to_string(i)));
  std::vector<std::string> received;
  for (const auto& datagram : TakeAtLeast(reader, sent.size()))
    received.push_back(datagram.Bytes);
  EXPECT_EQ(received, sent);
}

// Longer than a reply may be: reported as a failed receive, as before.
TEST_F(DatagramReaderTest, ATooLongDatagramCountsAsAFailedReceive) {
  TDatagramReader reader({sockets_[0]});
  SendTo(0, std::string(TDatagramReader::kMaxDatagram + 1, 'x'));
  SendTo(0, std::string(TDatagramReader::kMaxDatagram, 'y'));
  const auto taken = TakeAtLeast(reader, 2);
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_EQ(taken[0].ByteCount, -1);
  EXPECT_TRUE(taken[0].Bytes.empty());
  EXPECT_EQ(DottedIp(taken[0].SenderIp), "127.0.0.5");
  EXPECT_EQ(taken[1].ByteCount, static_cast<int32_t>(TDatagramReader::kMaxDatagram));
}

TEST(DottedIp, WritesEachByteInDecimal) {
  EXPECT_EQ(DottedIp(0x7FFFFFFFu), "127.255.255.255");
  EXPECT_EQ(DottedIp(0x0A000102u), "10.0.1.2");
  EXPECT_EQ(DottedIp(0), "0.0.0.0");
}

} // namespace
