#include "ReplyReader.h"
#include "ReplyType.h"
#include "SourceSplitJoin.h"
#include "tools/fakeserver/A2sReplies.h"
#include "tools/fakeserver/SourceSplit.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

const std::string kHeader = "\xFF\xFF\xFF\xFF";
const std::string kInfo = kHeader + "TSource Engine Query\0"s;
const std::string kPlayers = kHeader + "U";
const std::string kAsk = "\xFF\xFF\xFF\xFF";
const std::string kClient = "127.0.0.1:1024";

ServerState A2sState(int players) {
  ServerSetup setup;
  setup.name = "Tür & Tor";
  setup.map = "ctf_2fort";
  setup.address = "127.0.0.1";
  setup.gamePort = 27020;
  setup.queryPort = 27020;
  setup.maxPlayers = 32;
  setup.initialPlayers = players;
  setup.clanTaggedNames = true;
  setup.seed = 7;
  return ServerState(setup);
}

A2sBehaviour Unsplit(bool challenge) {
  return A2sBehaviour{challenge, kMaxSplitBytes};
}

struct RequestCase {
  const char* name;
  bool challenge;
  std::string request; // "<c>" stands for the client's challenge
  char replyType;
};

class FakeA2sRequest : public testing::TestWithParam<RequestCase> {};

TEST_P(FakeA2sRequest, GetsTheReplyOfItsKind) {
  A2sReplies replies(Unsplit(GetParam().challenge), 3);
  std::string request = GetParam().request;
  if (const std::size_t at = request.find("<c>"); at != std::string::npos)
    request.replace(at, 3, replies.ChallengeFor(kClient));
  EXPECT_EQ(ReplyType(replies.AnswerFrom(request, kClient, A2sState(2))), GetParam().replyType);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, FakeA2sRequest,
    testing::Values(RequestCase{"InfoAsksForAChallenge", true, kInfo, 'A'},
                    RequestCase{"InfoWithoutItsNul", true, kHeader + "TSource Engine Query", 'A'},
                    RequestCase{"InfoWithTheChallenge", true, kInfo + "<c>", 'I'},
                    RequestCase{"InfoWithAWrongChallenge", true, kInfo + "\x01\x02\x03\x04", 'A'},
                    RequestCase{"InfoWithACutChallenge", true, kInfo + "\x01\x02", 'A'},
                    RequestCase{"PlayersAskForAChallenge", true, kPlayers + kAsk, 'A'},
                    RequestCase{"PlayersWithTheChallenge", true, kPlayers + "<c>", 'D'},
                    RequestCase{"PlayersWithAWrongChallenge", true, kPlayers + "\0\0\0\0"s, 'A'},
                    RequestCase{"PlayersWithoutAChallengeField", true, kPlayers, '-'},
                    RequestCase{"PlayersWithACutChallenge", true, kPlayers + "\xFF\xFF", '-'},
                    RequestCase{"OldInfoAtOnce", false, kInfo, 'I'},
                    RequestCase{"OldInfoIgnoresAChallenge", false, kInfo + "\x01\x02\x03\x04", 'I'},
                    RequestCase{"OldPlayersAtOnce", false, kPlayers + kAsk, 'D'},
                    RequestCase{"OldPlayersNeedTheField", false, kPlayers, '-'},
                    RequestCase{"GetChallengeIsUnknown", true, kHeader + "W", '-'},
                    RequestCase{"RulesAreUnknown", true, kHeader + "V" + kAsk, '-'},
                    RequestCase{"OtherEngineQuery", true, kHeader + "TSource Engine Quer", '-'},
                    RequestCase{"HeaderOnly", true, kHeader, '-'},
                    RequestCase{"NoHeader", true, "TSource Engine Query\0"s, '-'},
                    RequestCase{"Empty", true, "", '-'}),
    [](const testing::TestParamInfo<RequestCase>& test) { return test.param.name; });

TEST(FakeA2sReplies, TheChallengeBelongsToTheClientAndTheSeed) {
  A2sReplies replies(A2sBehaviour{}, 3);
  const std::string mine = replies.ChallengeFor("127.0.0.1:1024");
  const std::string answer = replies.AnswerFrom(kInfo, "127.0.0.1:1024", A2sState(0)).at(0);
  EXPECT_EQ(answer, kHeader + "A" + mine);
  EXPECT_NE(mine, kAsk);
  EXPECT_NE(mine, "\0\0\0\0"s);
  for (const char* other : {"127.0.0.1:1025", "127.0.0.2:1024"}) {
    EXPECT_NE(replies.ChallengeFor(other), mine) << other;
    // Another client's challenge is refused and answered with its own.
    EXPECT_EQ(replies.AnswerFrom(kPlayers + mine, other, A2sState(0)).at(0),
              kHeader + "A" + replies.ChallengeFor(other));
  }
  EXPECT_EQ(A2sReplies(A2sBehaviour{}, 3).ChallengeFor("127.0.0.1:1024"), mine);
  EXPECT_NE(A2sReplies(A2sBehaviour{}, 4).ChallengeFor("127.0.0.1:1024"), mine);
}

TEST(FakeA2sReplies, InfoHasTheSourceLayoutWithExtraData) {
  A2sReplies replies(Unsplit(false), 3);
  ReplyReader reader(replies.AnswerFrom(kInfo, kClient, A2sState(3)).at(0), 5);
  EXPECT_EQ(reader.Byte(), 17); // protocol
  EXPECT_EQ(reader.CString(), "Tür & Tor");
  EXPECT_EQ(reader.CString(), "ctf_2fort");
  EXPECT_EQ(reader.CString(), "tf");
  EXPECT_EQ(reader.CString(), "Team Fortress");
  EXPECT_EQ(reader.Int16(), 440);
  EXPECT_EQ(reader.Byte(), 3);  // players
  EXPECT_EQ(reader.Byte(), 32); // maximum
  EXPECT_EQ(reader.Byte(), 0);  // bots
  EXPECT_EQ(reader.Byte(), 'd');
  EXPECT_EQ(reader.Byte(), 'l');
  EXPECT_EQ(reader.Byte(), 0); // visibility
  EXPECT_EQ(reader.Byte(), 1); // VAC
  EXPECT_FALSE(reader.CString().empty());
  EXPECT_EQ(reader.Byte(), 0xB1); // game port, Steam id, keywords, game id
  EXPECT_EQ(reader.Int16(), 27020);
  reader.Int32();
  reader.Int32();
  EXPECT_EQ(reader.CString(), "alltalk,nocrits");
  EXPECT_EQ(reader.Int32(), 440);
  EXPECT_EQ(reader.Int32(), 0);
  EXPECT_TRUE(reader.AtEnd());
}

TEST(FakeA2sReplies, PlayersCarryNameScoreAndTimeOfEveryone) {
  const ServerState state = A2sState(12);
  A2sReplies replies(Unsplit(false), 3);
  ReplyReader reader(replies.AnswerFrom(kPlayers + kAsk, kClient, state).at(0), 5);
  ASSERT_EQ(reader.Byte(), 12);
  for (const PlayerRecord& player : state.Players()) {
    EXPECT_EQ(reader.Byte(), 0); // Source leaves the index at 0
    EXPECT_EQ(reader.CString(), player.name);
    EXPECT_EQ(reader.Int32(), player.frags);
    EXPECT_FLOAT_EQ(reader.Float32(), static_cast<float>(player.connectedSeconds));
  }
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_EQ(state.Players().at(0).name, "[Fjordheim Raiders] Jörg");
}

// Every reply longer than the split size comes in parts of at most that
// size, which join to the reply a server without the limit sends.
TEST(FakeA2sReplies, LongRepliesAreSplitIntoPartsThatJoinToTheWhole) {
  for (int players : {12, 64}) {
    const ServerState state = A2sState(players);
    const std::string whole = A2sReplies(Unsplit(false), 3).Answer(kPlayers + kAsk, state).at(0);
    for (std::size_t size : {kMinSplitBytes, std::size_t{100}, std::size_t{200}, std::size_t{1200},
                             whole.size() - 1}) {
      if (size >= whole.size())
        continue; // 12 players fit in 1,200 bytes
      SCOPED_TRACE(std::to_string(players) + " players, split " + std::to_string(size));
      A2sReplies replies(A2sBehaviour{false, size}, 3);
      const std::vector<std::string> parts = replies.Answer(kPlayers + kAsk, state);
      EXPECT_EQ(parts.size(), (whole.size() + size - 13) / (size - 12));
      EXPECT_EQ(JoinSourceParts(parts, size), whole);
      // The next split reply has an id of its own.
      EXPECT_NE(replies.Answer(kPlayers + kAsk, state).at(0).substr(4, 4), parts[0].substr(4, 4));
    }
    EXPECT_EQ(A2sReplies(A2sBehaviour{false, whole.size()}, 3).Answer(kPlayers + kAsk, state),
              std::vector<std::string>{whole});
  }
}

TEST(FakeA2sReplies, ShortRepliesAndChallengesStayWhole) {
  A2sReplies replies(A2sBehaviour{true, kMinSplitBytes}, 3);
  const std::vector<std::string> challenge = replies.AnswerFrom(kInfo, kClient, A2sState(0));
  EXPECT_EQ(ReplyType(challenge), 'A');
  EXPECT_EQ(challenge[0].size(), 9u);
}

TEST(FakeSourceSplit, RefusesWhatAByteCannotCountAndClearsTheCompressionBit) {
  const std::string reply(300, 'x');
  EXPECT_TRUE(SplitSourceReply(std::string(256 * 4, 'x'), 16, 1).empty()); // 256 parts
  EXPECT_EQ(SplitSourceReply(std::string(255 * 4, 'x'), 16, 1).size(), 255u);
  EXPECT_TRUE(SplitSourceReply(reply, kSourceSplitHeaderSize, 1).empty());
  const std::vector<std::string> parts = SplitSourceReply(reply, 100, 0xFFFFFFFF);
  ASSERT_EQ(parts.size(), 4u);
  EXPECT_EQ(parts[0].substr(4, 4), "\xFF\xFF\xFF\x7F");
  EXPECT_EQ(JoinSourceParts(parts, 100), reply);
}

} // namespace
