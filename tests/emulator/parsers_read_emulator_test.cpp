#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "games/game.h"
#include "protocols/builtin_games.h"
#include "tests/support/ProtocolHarness.h"
#include "tools/fakeserver/ReplyBuilderFactory.h"
#include "tools/fakeserver/TextEncoding.h"

namespace {

constexpr int kPlayers = 5;

class ParsersReadEmulatorTest : public ::testing::TestWithParam<int32_t> {
protected:
  void SetUp() override { games.LoadGames(BuiltinGames(), THostInfo{}); }
  TGameList games;
};

ServerState Emulated(bool colourCodes) {
  ServerSetup setup;
  setup.name = "Emulated Arena";
  setup.map = "dm-emulated";
  setup.address = "127.0.0.1";
  setup.gamePort = 27015;
  setup.queryPort = 27015;
  setup.maxPlayers = 16;
  setup.initialPlayers = kPlayers;
  setup.colourCodedNames = colourCodes;
  setup.seed = 11;
  return ServerState(setup);
}

// One poll as the poll cycle runs it: every step, per-server steps with the
// first challenge the server gave in this pass, every reply to the parser.
TEST_P(ParsersReadEmulatorTest, OnePollDeliversNameMapAndPlayers) {
  const TGame& game = games.Items(GetParam());
  SCOPED_TRACE(game.Defs.Key);
  const ServerState state = Emulated(game.Defs.Key == "q3");
  const std::unique_ptr<ReplyBuilder> emulator = MakeReplyBuilder(game.Defs.Key.str(), 3);
  ASSERT_NE(emulator, nullptr);

  ProtocolHarness client(game.CreateQuery, game.CreateServer);
  client.Reset();
  intptr_t challenge = 0;
  int32_t lastResult = 0;
  for (int32_t step = 0; step < client.PacketCount(); ++step) {
    const std::string request = client.Build(step, client.PerServer(step) ? challenge : 0);
    const auto replies = emulator->Answer(request, state);
    ASSERT_FALSE(replies.empty()) << "no answer to step " << step;
    for (const std::string& reply : replies) {
      lastResult = client.Parse(reply, step);
      EXPECT_NE(lastResult, SKARVEL_PARSE_NOT_OURS) << "step " << step;
      if (challenge == 0)
        challenge = client.challenge;
    }
  }
  EXPECT_EQ(lastResult, SKARVEL_PARSE_COMPLETE);
  EXPECT_EQ(client.info[0], "Emulated Arena");
  EXPECT_EQ(client.info[1], "dm-emulated");
  EXPECT_EQ(client.info[3].substr(0, 1), std::to_string(kPlayers));
  ASSERT_EQ(client.players.size(), static_cast<std::size_t>(kPlayers));
  if (game.Defs.Key == "q2")
    return; // its short reply carries no names
  for (std::size_t i = 0; i < state.Players().size(); ++i) {
    const PlayerRecord& record = state.Players()[i];
    if (!IsAscii(record.name) || record.name.find('^') != std::string::npos)
      continue; // re-encoded or colour-coded on the way
    EXPECT_EQ(client.players[i].name, record.name);
    EXPECT_EQ(client.players[i].frags, std::to_string(record.frags));
  }
}

INSTANTIATE_TEST_SUITE_P(AllBuiltinGames, ParsersReadEmulatorTest, ::testing::Range(0, 7));

} // namespace
