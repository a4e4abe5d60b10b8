#include "ReplyReader.h"
#include "SourceSplitJoin.h"
#include "tests/support/FakeServerProcess.h"
#include "tests/support/UdpTestClient.h"

#include <gtest/gtest.h>

#include <csignal>
#include <map>
#include <set>

namespace {

using namespace std::string_literals;

const std::string kHeader = "\xFF\xFF\xFF\xFF";
const std::string kInfo = kHeader + "TSource Engine Query\0"s;
const std::string kPlayers = kHeader + "U";
const std::string kAsk = "\xFF\xFF\xFF\xFF";

// One reply as the client gets it: a whole datagram, or the parts of a split
// one joined.
std::string ReceiveReply(UdpTestClient& client, const std::string& fromAddress, int fromPort,
                         std::size_t maxDatagram = 65507) {
  std::optional<ReceivedReply> first = client.Receive(5000);
  if (!first) {
    ADD_FAILURE() << "no reply";
    return {};
  }
  EXPECT_EQ(first->fromAddress, fromAddress);
  EXPECT_EQ(first->fromPort, fromPort);
  if (!first->bytes.starts_with("\xFE\xFF\xFF\xFF") || first->bytes.size() < 9)
    return first->bytes;
  const std::size_t total = static_cast<uint8_t>(first->bytes[8]);
  std::vector<std::string> parts{first->bytes};
  for (const ReceivedReply& part : client.ReceiveUpTo(total - 1))
    parts.push_back(part.bytes);
  return JoinSourceParts(parts, maxDatagram);
}

std::string Challenge(const std::string& reply) {
  EXPECT_EQ(reply.size(), 9u);
  EXPECT_TRUE(reply.starts_with(kHeader + "A"));
  return reply.substr(5);
}

std::string InfoName(const std::string& reply) {
  EXPECT_TRUE(reply.starts_with(kHeader + "I"));
  ReplyReader reader(reply, 6);
  return reader.CString();
}

std::vector<std::string> PlayerNames(const std::string& reply) {
  EXPECT_TRUE(reply.starts_with(kHeader + "D"));
  ReplyReader reader(reply, 5);
  std::vector<std::string> names(reader.Byte());
  for (std::string& name : names) {
    reader.Byte();
    name = reader.CString();
    reader.Int32();
    reader.Float32();
  }
  EXPECT_TRUE(reader.AtEnd());
  return names;
}

TEST(FakeA2sEndToEnd, ChallengesPerClientAndSplitPlayersOverLoopback) {
  const int port = FreeUdpPorts("127.0.0.1", 1);
  FakeServerProcess server({"--game", "a2s", "--port", std::to_string(port), "--name", "Split",
                            "--players", "12", "--split", "200"});
  ASSERT_EQ(server.WaitForReadyLines(1).size(), 1u);
  UdpTestClient client;
  client.Send("127.0.0.1", port, kInfo);
  const std::string challenge = Challenge(ReceiveReply(client, "127.0.0.1", port));
  client.Send("127.0.0.1", port, kInfo + challenge);
  EXPECT_EQ(InfoName(ReceiveReply(client, "127.0.0.1", port)), "Split");
  client.Send("127.0.0.1", port, kPlayers + kAsk);
  EXPECT_EQ(Challenge(ReceiveReply(client, "127.0.0.1", port)), challenge);
  client.Send("127.0.0.1", port, kPlayers + challenge);
  const std::vector<std::string> names = PlayerNames(ReceiveReply(client, "127.0.0.1", port, 200));
  EXPECT_EQ(names.size(), 12u);
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), 12u);

  // Another client (another port) has a challenge of its own.
  UdpTestClient other;
  other.Send("127.0.0.1", port, kPlayers + challenge);
  EXPECT_NE(Challenge(ReceiveReply(other, "127.0.0.1", port)), challenge);
  EXPECT_EQ(server.Stop(SIGTERM), 0);
}

TEST(FakeA2sEndToEnd, WithoutChallengeInfoAndPlayersComeAtOnce) {
  const int port = FreeUdpPorts("127.0.0.1", 1);
  FakeServerProcess server({"--game", "a2s", "--port", std::to_string(port), "--name", "Old",
                            "--players", "3", "--no-challenge"});
  ASSERT_EQ(server.WaitForReadyLines(1).size(), 1u);
  UdpTestClient client;
  client.Send("127.0.0.1", port, kInfo);
  EXPECT_EQ(InfoName(ReceiveReply(client, "127.0.0.1", port)), "Old");
  client.Send("127.0.0.1", port, kPlayers + kAsk);
  EXPECT_EQ(PlayerNames(ReceiveReply(client, "127.0.0.1", port)).size(), 3u);
  EXPECT_EQ(server.Stop(SIGTERM), 0);
}

TEST(FakeA2sEndToEnd, LanHostsEachHandOutTheirOwnChallengeToABroadcast) {
  const int port = FreeUdpPorts("0.0.0.0", 1);
  FakeServerProcess server(
      {"--game", "a2s", "--port", std::to_string(port), "--hosts", "3", "--name", "Lan"});
  ASSERT_EQ(server.WaitForReadyLines(3).size(), 3u);
  UdpTestClient client;
  client.Send("127.255.255.255", port, kInfo);
  std::map<std::string, std::string> challenges; // by host
  for (const ReceivedReply& reply : client.ReceiveUpTo(3)) {
    EXPECT_EQ(reply.fromPort, port);
    challenges[reply.fromAddress] = Challenge(reply.bytes);
  }
  ASSERT_EQ(challenges.size(), 3u);
  std::set<std::string> names;
  for (const auto& [host, challenge] : challenges) {
    client.Send(host, port, kInfo + challenge);
    names.insert(InfoName(ReceiveReply(client, host, port)));
  }
  EXPECT_EQ(names, (std::set<std::string>{"Lan #1", "Lan #2", "Lan #3"}));
  EXPECT_EQ(std::set<std::string>(
                {challenges["127.0.0.2"], challenges["127.0.0.3"], challenges["127.0.0.4"]})
                .size(),
            3u);
  EXPECT_EQ(server.Stop(SIGTERM), 0);
}

} // namespace
