#include "ReplyReader.h"
#include "ReplyType.h"
#include "TestServerState.h"
#include "tools/fakeserver/HalfLifeReplies.h"
#include "tools/fakeserver/TextEncoding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

using namespace std::string_literals;

const std::string kHeader = "\xFF\xFF\xFF\xFF";
const std::string kEngineQuery = kHeader + "TSource Engine Query\0"s;

struct RequestCase {
  HalfLifeStyle style;
  std::string request;
  char replyType;
};

class FakeHalfLifeRequest : public testing::TestWithParam<RequestCase> {};

TEST_P(FakeHalfLifeRequest, GetsTheReplyTypeOfItsGeneration) {
  HalfLifeReplies replies(GetParam().style, 5);
  EXPECT_EQ(ReplyType(replies.Answer(GetParam().request, TestServerState(2))),
            GetParam().replyType);
}

constexpr HalfLifeStyle kOld = HalfLifeStyle::OldCommands;
constexpr HalfLifeStyle kPatched = HalfLifeStyle::ChallengeWithOldInfo;
constexpr HalfLifeStyle kSource = HalfLifeStyle::Source;

INSTANTIATE_TEST_SUITE_P(
    Requests, FakeHalfLifeRequest,
    testing::Values(
        RequestCase{kOld, kHeader + "details", 'm'}, RequestCase{kOld, kHeader + "details\0"s, 'm'},
        RequestCase{kOld, kHeader + "players", 'D'}, RequestCase{kOld, kHeader + "players\0"s, 'D'},
        RequestCase{kOld, kHeader + "rules\0"s, 'E'}, RequestCase{kOld, kHeader + "info", 'C'},
        RequestCase{kOld, kHeader + "infostring", 'i'}, RequestCase{kOld, kHeader + "ping", 'j'},
        RequestCase{kOld, kHeader + "W", '-'}, RequestCase{kOld, kEngineQuery, '-'},
        RequestCase{kPatched, kHeader + "W", 'A'}, RequestCase{kPatched, kHeader + "W\0"s, 'A'},
        RequestCase{kPatched, kEngineQuery, 'm'},
        RequestCase{kPatched, kHeader + "TSource Engine Query", 'm'},
        RequestCase{kPatched, kHeader + "U", 'A'},
        RequestCase{kPatched, kHeader + "U\xFF\xFF\xFF\xFF", 'A'},
        RequestCase{kPatched, kHeader + "details", '-'}, RequestCase{kSource, kHeader + "W", 'A'},
        RequestCase{kSource, kEngineQuery, 'I'},
        RequestCase{kSource, kEngineQuery + "\x01\x02\x03\x04", 'I'},
        RequestCase{kSource, kHeader + "U\0\0\0\0"s, 'A'},
        RequestCase{kSource, kHeader + "V\xFF\xFF\xFF\xFF", 'A'},
        RequestCase{kSource, kHeader + "Wx", '-'}, RequestCase{kSource, kHeader + "TSource", '-'},
        RequestCase{kSource, kHeader, '-'}, RequestCase{kSource, "W", '-'},
        RequestCase{kSource, "", '-'}));

TEST(FakeHalfLifeReplies, ChallengeHandshakeUnlocksPlayersAndRules) {
  for (HalfLifeStyle style : {kPatched, kSource}) {
    HalfLifeReplies replies(style, 5);
    const ServerState state = TestServerState(2);
    const std::string challengeReply = replies.Answer(kHeader + "W", state).at(0);
    ASSERT_EQ(challengeReply.size(), 9u);
    const std::string challenge = challengeReply.substr(5);
    EXPECT_EQ(challenge, replies.Challenge());
    EXPECT_NE(challenge, "\xFF\xFF\xFF\xFF"s);
    EXPECT_NE(challenge, "\0\0\0\0"s);
    EXPECT_EQ(ReplyType(replies.Answer(kHeader + "U" + challenge, state)), 'D');
    EXPECT_EQ(ReplyType(replies.Answer(kHeader + "V" + challenge, state)), 'E');
    // A wrong challenge gets the right one again.
    EXPECT_EQ(replies.Answer(kHeader + "U\x01\x02\x03\x04", state).at(0), challengeReply);
  }
}

TEST(FakeHalfLifeReplies, DifferentSeedsHandOutDifferentChallenges) {
  EXPECT_NE(HalfLifeReplies(kSource, 1).Challenge(), HalfLifeReplies(kSource, 2).Challenge());
  EXPECT_EQ(HalfLifeReplies(kSource, 1).Challenge(), HalfLifeReplies(kPatched, 1).Challenge());
}

TEST(FakeHalfLifeReplies, DetailsHaveTheHalfLifeLayout) {
  HalfLifeReplies replies(kOld, 5);
  ReplyReader reader(replies.Answer(kHeader + "details", TestServerState(2)).at(0), 5);
  EXPECT_EQ(reader.CString(), "127.0.0.1:7777");
  EXPECT_EQ(reader.CString(), "Test Arena");
  EXPECT_EQ(reader.CString(), "dm-test");
  EXPECT_EQ(reader.CString(), "cstrike");
  EXPECT_EQ(reader.CString(), "Counter-Strike");
  EXPECT_EQ(reader.Byte(), 2);  // players
  EXPECT_EQ(reader.Byte(), 12); // maximum
  EXPECT_EQ(reader.Byte(), 47); // protocol
  EXPECT_EQ(reader.Byte(), 'd');
  EXPECT_EQ(reader.Byte(), 'l');
  EXPECT_EQ(reader.Byte(), 0); // password
  EXPECT_EQ(reader.Byte(), 1); // mod information follows
  EXPECT_EQ(reader.CString(), "www.counter-strike.net");
  EXPECT_EQ(reader.CString(), "");
  EXPECT_EQ(reader.Byte(), 0);
  EXPECT_EQ(reader.Int32(), 1);
  EXPECT_EQ(reader.Int32(), 184000000);
  EXPECT_EQ(reader.Byte(), 0); // server only
  EXPECT_EQ(reader.Byte(), 1); // own client library
  EXPECT_EQ(reader.Byte(), 1); // secure
  EXPECT_EQ(reader.Byte(), 0); // bots
  EXPECT_TRUE(reader.AtEnd());
}

TEST(FakeHalfLifeReplies, OldInfoAndInfoStringCarryNameMapAndCounts) {
  HalfLifeReplies replies(kOld, 5);
  const ServerState state = TestServerState(2);
  ReplyReader info(replies.Answer(kHeader + "info", state).at(0), 5);
  EXPECT_EQ(info.CString(), "127.0.0.1:7777");
  EXPECT_EQ(info.CString(), "Test Arena");
  EXPECT_EQ(info.CString(), "dm-test");
  EXPECT_EQ(info.CString(), "cstrike");
  EXPECT_EQ(info.CString(), "Counter-Strike");
  EXPECT_EQ(info.Byte(), 2);
  EXPECT_EQ(info.Byte(), 12);
  EXPECT_EQ(info.Byte(), 47);
  EXPECT_TRUE(info.AtEnd());

  ReplyReader text(replies.Answer(kHeader + "infostring\n", state).at(0), 4);
  EXPECT_EQ(text.CString(), "infostringresponse");
  const std::string pairs = text.CString();
  for (const std::string& pair : {"\\hostname\\Test Arena"s, "\\map\\dm-test"s, "\\players\\2"s,
                                  "\\max\\12"s, "\\description\\Counter-Strike"s})
    EXPECT_NE(pairs.find(pair), std::string::npos) << pair;
  EXPECT_TRUE(text.AtEnd());
}

TEST(FakeHalfLifeReplies, SourceInfoHasTheSourceLayout) {
  HalfLifeReplies replies(kSource, 5);
  ReplyReader reader(replies.Answer(kEngineQuery, TestServerState(2)).at(0), 5);
  reader.Byte(); // protocol
  EXPECT_EQ(reader.CString(), "Test Arena");
  EXPECT_EQ(reader.CString(), "dm-test");
  EXPECT_EQ(reader.CString(), "cstrike");
  EXPECT_EQ(reader.CString(), "Counter-Strike: Source");
  EXPECT_EQ(reader.Int16(), 240);
  EXPECT_EQ(reader.Byte(), 2);
  EXPECT_EQ(reader.Byte(), 12);
  EXPECT_EQ(reader.Byte(), 0); // bots
  EXPECT_EQ(reader.Byte(), 'd');
  EXPECT_EQ(reader.Byte(), 'l');
  EXPECT_EQ(reader.Byte(), 0); // visibility
  EXPECT_EQ(reader.Byte(), 1); // VAC
  reader.CString();            // version
  EXPECT_EQ(reader.Byte(), 0x80);
  EXPECT_EQ(reader.Int16(), 7777);
  EXPECT_TRUE(reader.AtEnd());
}

std::string StyleName(HalfLifeStyle style) {
  switch (style) {
  case kOld:
    return "OldCommands";
  case kPatched:
    return "ChallengeWithOldInfo";
  case kSource:
    return "Source";
  }
  return "";
}

struct PlayerListCase {
  HalfLifeStyle style;
  std::vector<std::string> names;
  bool numbered; // Half-Life numbers the entries from 1, Source leaves 0
};

class FakeHalfLifePlayers : public testing::TestWithParam<PlayerListCase> {};

TEST_P(FakeHalfLifePlayers, ListEveryPlayerWithFragsAndTime) {
  HalfLifeReplies replies(GetParam().style, 5);
  const ServerState state = TestServerState(3);
  const std::string request =
      GetParam().style == kOld ? kHeader + "players" : kHeader + "U" + replies.Challenge();
  ReplyReader reader(replies.Answer(request, state).at(0), 4);
  EXPECT_EQ(reader.Byte(), 'D');
  EXPECT_EQ(reader.Byte(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(reader.Byte(), GetParam().numbered ? i + 1 : 0);
    EXPECT_EQ(reader.CString(), GetParam().names[i]);
    EXPECT_EQ(reader.Int32(), state.Players()[i].frags);
    EXPECT_FLOAT_EQ(reader.Float32(), static_cast<float>(state.Players()[i].connectedSeconds));
  }
  EXPECT_TRUE(reader.AtEnd());
}

INSTANTIATE_TEST_SUITE_P(
    Styles, FakeHalfLifePlayers,
    testing::Values(PlayerListCase{kOld, {"J\xF6rg", "Zo\xEB", "Sarge"}, true},
                    PlayerListCase{kPatched, {"J\xF6rg", "Zo\xEB", "Sarge"}, true},
                    PlayerListCase{kSource, {"Jörg", "Zoë", "Sarge"}, false}),
    [](const testing::TestParamInfo<PlayerListCase>& test) { return StyleName(test.param.style); });

TEST(FakeHalfLifeReplies, NegativeFragsGoOutAsSignedNumbers) {
  auto suicidal = [](const PlayerRecord& player) { return player.frags == -1; };
  ServerSetup setup;
  setup.maxPlayers = 16;
  setup.initialPlayers = 16;
  std::optional<ServerState> state;
  for (setup.seed = 1; !state && setup.seed < 100; ++setup.seed)
    if (ServerState candidate(setup); std::ranges::any_of(candidate.Players(), suicidal))
      state = candidate;
  ASSERT_TRUE(state);
  const PlayerRecord& player = *std::ranges::find_if(state->Players(), suicidal);
  HalfLifeReplies replies(kOld, 5);
  const std::string reply = replies.Answer(kHeader + "players", *state).at(0);
  EXPECT_NE(reply.find(Utf8ToLatin1(player.name) + "\0\xFF\xFF\xFF\xFF"s), std::string::npos);
}

TEST(FakeHalfLifeReplies, RulesListTheirCountAndPairs) {
  HalfLifeReplies replies(kOld, 5);
  ReplyReader reader(replies.Answer(kHeader + "rules", TestServerState(0)).at(0), 5);
  const int count = reader.Int16();
  std::map<std::string, std::string> rules;
  for (int i = 0; i < count; ++i) {
    std::string key = reader.CString();
    rules[key] = reader.CString();
  }
  EXPECT_TRUE(reader.AtEnd());
  EXPECT_EQ(rules["mp_fraglimit"], "25");
  EXPECT_EQ(rules["mp_timelimit"], "20");
}

} // namespace
