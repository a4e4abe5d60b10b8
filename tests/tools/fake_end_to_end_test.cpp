#include "tests/support/FakeServerProcess.h"
#include "tests/support/UdpTestClient.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <map>
#include <optional>
#include <set>

namespace {

using namespace std::string_literals;

const std::string kHeader = "\xFF\xFF\xFF\xFF";

struct GameCase {
  std::string game;
  int queryPortOffset;
  std::string request;
  std::size_t datagrams;
};

class FakeServerEndToEndGame : public testing::TestWithParam<GameCase> {};

TEST_P(FakeServerEndToEndGame, AnnouncesItselfAnswersOnItsQueryPortAndStopsCleanly) {
  const GameCase& game = GetParam();
  const int queryPort = FreeUdpPorts("127.0.0.1", 1);
  const std::string name = "E2E " + game.game;
  FakeServerProcess server({"--game", game.game, "--port",
                            std::to_string(queryPort - game.queryPortOffset), "--name", name,
                            "--players", "2"});
  EXPECT_EQ(server.WaitForReadyLines(1),
            (std::vector<std::string>{"ready " + game.game +
                                      " 127.0.0.1:" + std::to_string(queryPort) + " " + name}));
  UdpTestClient client;
  client.Send("127.0.0.1", queryPort, game.request);
  const std::vector<ReceivedReply> replies = client.ReceiveUpTo(game.datagrams);
  ASSERT_EQ(replies.size(), game.datagrams);
  std::string all;
  for (const ReceivedReply& reply : replies) {
    EXPECT_EQ(reply.fromAddress, "127.0.0.1");
    EXPECT_EQ(reply.fromPort, queryPort);
    all += reply.bytes;
  }
  EXPECT_NE(all.find(name), std::string::npos);
  EXPECT_EQ(server.Stop(SIGTERM), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Games, FakeServerEndToEndGame,
    testing::Values(GameCase{"ut", 1, "\\status\\", 3}, GameCase{"u4", 1, "\x78\0\0\0\0"s, 1},
                    GameCase{"q2", 0, kHeader + "status", 1},
                    GameCase{"q3", 0, kHeader + "getstatus", 1},
                    GameCase{"cs", 0, kHeader + "details\0"s, 1},
                    GameCase{"csp", 0, kHeader + "TSource Engine Query\0"s, 1},
                    GameCase{"css", 0, kHeader + "TSource Engine Query\0"s, 1}),
    [](const testing::TestParamInfo<GameCase>& test) { return test.param.game; });

TEST(FakeServerEndToEnd, SigintEndsTheProgramWithExitCodeZero) {
  const int port = FreeUdpPorts("127.0.0.1", 1);
  FakeServerProcess server({"--game", "q2", "--port", std::to_string(port)});
  ASSERT_EQ(server.WaitForReadyLines(1).size(), 1u);
  EXPECT_EQ(server.Stop(SIGINT), 0);
}

TEST(FakeServerEndToEnd, CountRunsServersOnConsecutivePortsWithNumberedNames) {
  const int port = FreeUdpPorts("127.0.0.1", 3);
  FakeServerProcess server(
      {"--game", "q3", "--port", std::to_string(port), "--count", "3", "--name", "Row"});
  const std::vector<std::string> ready = server.WaitForReadyLines(3);
  ASSERT_EQ(ready.size(), 3u);
  UdpTestClient client;
  for (int i = 0; i < 3; ++i) {
    const std::string name = "Row #" + std::to_string(i + 1);
    EXPECT_EQ(ready[i], "ready q3 127.0.0.1:" + std::to_string(port + i) + " " + name);
    client.Send("127.0.0.1", port + i, kHeader + "getstatus");
    const std::optional<ReceivedReply> reply = client.Receive(2000);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->fromPort, port + i);
    EXPECT_NE(reply->bytes.find("\\sv_hostname\\" + name + "\\"), std::string::npos);
  }
}

TEST(FakeServerEndToEnd, LanHostsAnswerBroadcastsEachFromItsOwnAddress) {
  const int port = FreeUdpPorts("0.0.0.0", 1);
  FakeServerProcess server(
      {"--game", "q3", "--port", std::to_string(port), "--hosts", "2", "--name", "Lan"});
  const std::string portText = std::to_string(port);
  ASSERT_EQ(server.WaitForReadyLines(2),
            (std::vector<std::string>{"ready q3 127.0.0.2:" + portText + " Lan #1",
                                      "ready q3 127.0.0.3:" + portText + " Lan #2"}));
  UdpTestClient client;
  client.Send("127.255.255.255", port, kHeader + "getstatus");
  std::map<std::string, std::string> replies; // source address -> reply
  for (const ReceivedReply& reply : client.ReceiveUpTo(2)) {
    EXPECT_EQ(reply.fromPort, port);
    replies[reply.fromAddress] = reply.bytes;
  }
  ASSERT_EQ(replies.size(), 2u);
  EXPECT_NE(replies["127.0.0.2"].find("\\sv_hostname\\Lan #1\\"), std::string::npos);
  EXPECT_NE(replies["127.0.0.3"].find("\\sv_hostname\\Lan #2\\"), std::string::npos);
  EXPECT_FALSE(client.Receive(300)) << "a third reply to the broadcast";

  client.Send("127.0.0.3", port, kHeader + "getstatus");
  const std::optional<ReceivedReply> direct = client.Receive(2000);
  ASSERT_TRUE(direct);
  EXPECT_EQ(direct->fromAddress, "127.0.0.3");
  EXPECT_NE(direct->bytes.find("Lan #2"), std::string::npos);
  EXPECT_FALSE(client.Receive(300)) << "host 127.0.0.2 answered a query to 127.0.0.3";

  client.Send("127.0.0.1", port, kHeader + "getstatus"); // no host has this address
  EXPECT_FALSE(client.Receive(300));
  EXPECT_EQ(server.Stop(SIGTERM), 0);
}

TEST(FakeServerEndToEnd, ALanPastTheFirstAddressBlockGoesOnIn127_0_1) {
  const int port = FreeUdpPorts("0.0.0.0", 1);
  FakeServerProcess server(
      {"--game", "q3", "--port", std::to_string(port), "--hosts", "300", "--name", "Lan"});
  const std::vector<std::string> ready = server.WaitForReadyLines(300);
  ASSERT_EQ(ready.size(), 300u);
  const std::string portText = std::to_string(port);
  // The first 253 keep the addresses of smaller LANs; none ends in .0 or .255.
  EXPECT_EQ(ready[0], "ready q3 127.0.0.2:" + portText + " Lan #1");
  EXPECT_EQ(ready[252], "ready q3 127.0.0.254:" + portText + " Lan #253");
  EXPECT_EQ(ready[253], "ready q3 127.0.1.1:" + portText + " Lan #254");
  EXPECT_EQ(ready[299], "ready q3 127.0.1.47:" + portText + " Lan #300");
  std::set<std::string> addresses;
  for (const std::string& line : ready)
    addresses.insert(line.substr(9, line.find(':') - 9));
  EXPECT_EQ(addresses.size(), 300u);

  UdpTestClient client;
  client.Send("127.0.1.1", port, kHeader + "getstatus");
  const std::optional<ReceivedReply> direct = client.Receive(2000);
  ASSERT_TRUE(direct);
  EXPECT_EQ(direct->fromAddress, "127.0.1.1");
  EXPECT_NE(direct->bytes.find("\\sv_hostname\\Lan #254\\"), std::string::npos);
  EXPECT_FALSE(client.Receive(300)) << "another host answered a query to 127.0.1.1";
  client.Send("127.0.1.0", port, kHeader + "getstatus");
  client.Send("127.0.0.255", port, kHeader + "getstatus");
  EXPECT_FALSE(client.Receive(300)) << "a host on an address ending in .0 or .255";
  EXPECT_EQ(server.Stop(SIGTERM), 0);
}

TEST(FakeServerEndToEnd, DroppingEveryRequestAnswersNothing) {
  const int port = FreeUdpPorts("127.0.0.1", 1);
  FakeServerProcess server({"--game", "q2", "--port", std::to_string(port), "--drop", "100"});
  ASSERT_EQ(server.WaitForReadyLines(1).size(), 1u);
  UdpTestClient client;
  for (int i = 0; i < 5; ++i)
    client.Send("127.0.0.1", port, kHeader + "info 34");
  EXPECT_FALSE(client.Receive(500));
  EXPECT_EQ(server.Stop(SIGTERM), 0);
}

TEST(FakeServerEndToEnd, GarbageNeitherCrashesNorBlocksTheServer) {
  const int queryPort = FreeUdpPorts("127.0.0.1", 1);
  FakeServerProcess server({"--game", "u4", "--port", std::to_string(queryPort - 1)});
  ASSERT_EQ(server.WaitForReadyLines(1).size(), 1u);
  UdpTestClient client;
  for (const std::string& junk : {""s, "\x78"s, "\x80\0\0\0\0"s, std::string(65507, '\x78'),
                                  kHeader + "getstatus", "\\status\\"s})
    client.Send("127.0.0.1", queryPort, junk);
  client.Send("127.0.0.1", queryPort, "\x78\0\0\0\0"s);
  const std::optional<ReceivedReply> reply = client.Receive(2000);
  ASSERT_TRUE(reply);
  EXPECT_TRUE(reply->bytes.starts_with("\x80\0\0\0\0"s));
  EXPECT_FALSE(client.Receive(300));
  EXPECT_EQ(server.Stop(SIGTERM), 0);
}

TEST(FakeServerEndToEnd, ASecondServerOnATakenPortFailsLoudly) {
  const int port = FreeUdpPorts("127.0.0.1", 1);
  FakeServerProcess first({"--game", "q3", "--port", std::to_string(port)});
  ASSERT_EQ(first.WaitForReadyLines(1).size(), 1u);
  FakeServerProcess second({"--game", "q3", "--port", std::to_string(port)});
  EXPECT_TRUE(second.WaitForReadyLines(1, 2000).empty());
  EXPECT_EQ(second.Stop(SIGTERM), 1);
}

// Packet numbers of the datagrams of each UT answer, in arrival order.
std::vector<std::vector<int>> UtPacketOrders(const std::vector<std::string>& extraArgs) {
  const int queryPort = FreeUdpPorts("127.0.0.1", 1);
  std::vector<std::string> args = {"--game",    "ut", "--port", std::to_string(queryPort - 1),
                                   "--players", "30", "--max",  "32"};
  args.insert(args.end(), extraArgs.begin(), extraArgs.end());
  FakeServerProcess server(args);
  EXPECT_EQ(server.WaitForReadyLines(1).size(), 1u);
  UdpTestClient client;
  std::vector<std::vector<int>> orders;
  for (int answer = 1; answer <= 5; ++answer) {
    client.Send("127.0.0.1", queryPort, "\\status\\");
    std::vector<int> order;
    int finalPacket = 0;
    while (finalPacket == 0 || static_cast<int>(order.size()) < finalPacket) {
      const std::optional<ReceivedReply> reply = client.Receive(2000);
      if (!reply)
        return orders;
      const std::string tag = "\\queryid\\" + std::to_string(answer) + ".";
      const std::size_t at = reply->bytes.find(tag);
      if (at == std::string::npos)
        return orders;
      const int packet = std::stoi(reply->bytes.substr(at + tag.size()));
      order.push_back(packet);
      if (reply->bytes.ends_with("\\final\\"))
        finalPacket = packet;
    }
    orders.push_back(order);
  }
  return orders;
}

TEST(FakeServerEndToEnd, OutOfOrderShufflesTheDatagramsOfAnAnswer) {
  const std::vector<std::vector<int>> inOrder = UtPacketOrders({});
  ASSERT_EQ(inOrder.size(), 5u);
  for (const std::vector<int>& order : inOrder) {
    EXPECT_GE(order.size(), 4u);
    EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
  }
  const std::vector<std::vector<int>> shuffled = UtPacketOrders({"--out-of-order"});
  ASSERT_EQ(shuffled.size(), 5u);
  EXPECT_TRUE(std::any_of(shuffled.begin(), shuffled.end(), [](const std::vector<int>& order) {
    return !std::is_sorted(order.begin(), order.end());
  }));
  for (std::vector<int> order : shuffled) { // nothing lost, nothing doubled
    std::sort(order.begin(), order.end());
    for (std::size_t i = 0; i < order.size(); ++i)
      EXPECT_EQ(order[i], static_cast<int>(i) + 1);
  }
}

TEST(FakeServerEndToEnd, ChurnChangesThePlayerListWhileRunning) {
  const int port = FreeUdpPorts("127.0.0.1", 1);
  FakeServerProcess server(
      {"--game", "q3", "--port", std::to_string(port), "--churn", "0.2", "--seed", "5"});
  ASSERT_EQ(server.WaitForReadyLines(1).size(), 1u);
  UdpTestClient client;
  // The player lines of a status answer; nothing when none came.
  auto players = [&]() -> std::optional<std::string> {
    client.Send("127.0.0.1", port, kHeader + "getstatus");
    const std::optional<ReceivedReply> reply = client.Receive(2000);
    if (!reply)
      return std::nullopt;
    const std::size_t infoEnd = reply->bytes.find('\n', reply->bytes.find('\n') + 1);
    return reply->bytes.substr(std::min(infoEnd, reply->bytes.size()));
  };
  const std::optional<std::string> first = players();
  ASSERT_TRUE(first);
  // However many players have come and gone before the first answer, a later
  // answer lists others. The deadline only ends the wait on a list that never
  // changes.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  std::optional<std::string> later = first;
  while (later == first && std::chrono::steady_clock::now() < deadline)
    later = players();
  ASSERT_TRUE(later);
  EXPECT_NE(*later, *first);
}

} // namespace
