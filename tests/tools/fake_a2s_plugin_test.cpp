#include "tests/plugins/A2sHost.h"
#include "tests/support/FakeServerProcess.h"
#include "tests/support/UdpTestClient.h"
#include "tools/fakeserver/ServerState.h"

#include <gtest/gtest.h>

#include <csignal>

namespace {

struct PluginCase {
  const char* name;
  std::vector<std::string> options;
};

class FakeA2sPlugin : public testing::TestWithParam<PluginCase> {};

// The built a2s.so polls the emulator over loopback as the host would: each
// step's request from BuildPacket goes out, every datagram that comes back
// goes to Parse, until the step's answer is whole. Two polls: the second runs
// with what the first taught the parser.
TEST_P(FakeA2sPlugin, ReadsNameMapGameAndEveryPlayer) {
  const int port = FreeUdpPorts("127.0.0.1", 1);
  std::vector<std::string> args = {"--game", "a2s",  "--port",    std::to_string(port),
                                   "--name", "Plug", "--players", "12"};
  args.insert(args.end(), GetParam().options.begin(), GetParam().options.end());
  FakeServerProcess server(args);
  ASSERT_EQ(server.WaitForReadyLines(1).size(), 1u);

  A2sHost host;
  UdpTestClient client;
  for (int poll = 0; poll < 2; ++poll) {
    SCOPED_TRACE("poll " + std::to_string(poll));
    host.NewPoll();
    for (int32_t step = 0; step < host.PacketCount(); ++step) {
      client.Send("127.0.0.1", port, host.Request(step));
      for (;;) {
        const std::optional<ReceivedReply> reply = client.Receive(5000);
        ASSERT_TRUE(reply) << "no answer to step " << step;
        const int32_t result = host.Receive(step, reply->bytes);
        ASSERT_NE(result, SKARVEL_PARSE_NOT_OURS) << "step " << step;
        EXPECT_TRUE(host.listed);
        if (result == SKARVEL_PARSE_COMPLETE || !reply->bytes.starts_with("\xFE\xFF\xFF\xFF"))
          break;
      }
    }
    EXPECT_EQ(host.info[SKARVEL_INFO_NAME], "Plug");
    EXPECT_EQ(host.info[SKARVEL_INFO_MAP], "ctf_2fort");
    EXPECT_EQ(host.info[SKARVEL_INFO_FRAG_LIMIT], "Team Fortress");
    EXPECT_EQ(host.info[SKARVEL_INFO_PLAYERS], "12");
    EXPECT_EQ(host.info[SKARVEL_INFO_MAX_PLAYERS], "16");

    // The emulator's players: the same seed makes the same list.
    ServerSetup setup;
    setup.maxPlayers = 16;
    setup.initialPlayers = 12;
    setup.clanTaggedNames = true;
    std::vector<A2sHost::Player> expected;
    const ServerState emulated(setup);
    for (const PlayerRecord& player : emulated.Players())
      expected.push_back({player.name, std::to_string(player.frags)});
    EXPECT_EQ(host.players, expected);
  }
  EXPECT_EQ(server.Stop(SIGTERM), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, FakeA2sPlugin,
    testing::Values(PluginCase{"Today", {}}, PluginCase{"TodaySplit", {"--split", "200"}},
                    PluginCase{"TodaySplitSmallest", {"--split", "64"}},
                    PluginCase{"WithoutChallenge", {"--no-challenge"}},
                    PluginCase{"WithoutChallengeSplit", {"--no-challenge", "--split", "150"}}),
    [](const testing::TestParamInfo<PluginCase>& test) { return test.param.name; });

} // namespace
