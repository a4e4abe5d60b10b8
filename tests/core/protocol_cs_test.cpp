#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "protocols/Factories.h"
#include "protocols/server_cs.h"
#include "protocols/server_csp.h"
#include "protocols/server_css.h"
#include "tests/support/ProtocolHarness.h"

namespace {

using Call = ProtocolHarness::Call;
using Player = ProtocolHarness::Player;

const std::string kPrefix = "\xFF\xFF\xFF\xFF";

std::string Reply(char type, const std::string& body) {
  return kPrefix + type + body;
}
std::string Text(const std::string& text) {
  return text + '\0';
}
std::string Byte(int value) {
  return std::string(1, static_cast<char>(value));
}
std::string Int32(uint32_t value) {
  std::string bytes;
  for (int shift = 0; shift < 32; shift += 8)
    bytes += static_cast<char>((value >> shift) & 0xFF);
  return bytes;
}

// Who a reply says the server is: game folder, game description and, in the
// Source format only, application id.
struct Game {
  std::string folder;
  std::string description;
  int applicationId;
};

// The "details" / older engine query answer, with the fields real servers send
// after the counts.
std::string OldInfo(const Game& game, const std::string& name, const std::string& map, int players,
                    int maxPlayers) {
  return Reply('m', Text("127.0.0.1:27015") + Text(name) + Text(map) + Text(game.folder) +
                        Text(game.description) + Byte(players) + Byte(maxPlayers) + Byte(47) +
                        "dl" + Byte(0) + Byte(0));
}

// The Source engine query answer.
std::string SourceInfo(const Game& game, const std::string& name, const std::string& map,
                       int players, int maxPlayers) {
  return Reply('I', Byte(7) + Text(name) + Text(map) + Text(game.folder) + Text(game.description) +
                        Byte(game.applicationId & 0xFF) + Byte(game.applicationId >> 8) +
                        Byte(players) + Byte(maxPlayers) + Byte(0) + "dl" + Byte(0) + Byte(1));
}

struct Entry {
  std::string name;
  uint32_t frags;
};

// A player reply; ends[i] is where player i's record ends, so a datagram cut
// there holds the players up to i whole and nothing more.
std::string PlayerReply(int count, const std::vector<Entry>& entries,
                        std::vector<std::size_t>* ends = nullptr) {
  std::string bytes = Reply('D', Byte(count));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    bytes += Byte(static_cast<int>(i)) + Text(entries[i].name) + Int32(entries[i].frags);
    bytes += Int32(0x42F00000); // 120.0 seconds played
    if (ends)
      ends->push_back(bytes.size());
  }
  return bytes;
}

// Everything that sets the three variants apart, one row each.
struct Variant {
  const char* key;
  TCreateQuery createQuery;
  TCreateServer createServer;
  std::vector<std::string> requests;
  int32_t perServerStep;
  int32_t infoStep;
  int32_t playerStep;
  std::string (*infoReply)(const Game&, const std::string&, const std::string&, int, int);
  std::string (*otherInfoReply)(const Game&, const std::string&, const std::string&, int, int);
  Game ownGame; // as the emulator and a stock server describe it
  const char* fragLimit;
  bool infoGivesPlayerCount;
  bool hasChallenge;
  bool utf8Names;
  bool listedOnRejectedInfo;
  bool listedAfterPlayers;
};

const Variant kVariants[] = {
    {.key = "cs",
     .createQuery = &CreateQueryOf<TQueryCS>,
     .createServer = &CreateServerOf<TServerCS>,
     .requests = {kPrefix + "details", kPrefix + "players"},
     .perServerStep = 1,
     .infoStep = 0,
     .playerStep = 1,
     .infoReply = &OldInfo,
     .otherInfoReply = &SourceInfo,
     .ownGame = {"cstrike", "Counter-Strike", 10},
     .fragLimit = "-",
     .infoGivesPlayerCount = false,
     .hasChallenge = false,
     .utf8Names = false,
     .listedOnRejectedInfo = true,
     .listedAfterPlayers = false},
    {.key = "csp",
     .createQuery = &CreateQueryOf<TQueryCSP>,
     .createServer = &CreateServerOf<TServerCSP>,
     .requests = {kPrefix + "W", kPrefix + Text("TSource Engine Query"), kPrefix + "U"},
     .perServerStep = 2,
     .infoStep = 1,
     .playerStep = 2,
     .infoReply = &OldInfo,
     .otherInfoReply = &SourceInfo,
     .ownGame = {"cstrike", "Counter-Strike", 10},
     .fragLimit = "-",
     .infoGivesPlayerCount = true,
     .hasChallenge = true,
     .utf8Names = false,
     .listedOnRejectedInfo = false,
     .listedAfterPlayers = true},
    {.key = "css",
     .createQuery = &CreateQueryOf<TQueryCSS>,
     .createServer = &CreateServerOf<TServerCSS>,
     .requests = {kPrefix + "W", kPrefix + Text("TSource Engine Query"), kPrefix + "U"},
     .perServerStep = 2,
     .infoStep = 1,
     .playerStep = 2,
     .infoReply = &SourceInfo,
     .otherInfoReply = &OldInfo,
     .ownGame = {"cstrike", "Counter-Strike: Source", 240},
     .fragLimit = "",
     .infoGivesPlayerCount = true,
     .hasChallenge = true,
     .utf8Names = true,
     .listedOnRejectedInfo = false,
     .listedAfterPlayers = true},
};

// Failure messages name the variant instead of dumping the row's bytes.
void PrintTo(const Variant& variant, std::ostream* out) {
  *out << variant.key;
}

// Every step a parser could be handed, including ones no builder sends.
const int32_t kAllSteps[] = {-1, 0, 1, 2, 3};

class HalfLifeVariantTest : public ::testing::TestWithParam<Variant> {
protected:
  const Variant& v = GetParam();
  ProtocolHarness hl{v.createQuery, v.createServer};

  std::string ValidInfo() const { return v.infoReply(v.ownGame, "Dust Bowl", "de_dust2", 7, 16); }
};

INSTANTIATE_TEST_SUITE_P(HalfLife, HalfLifeVariantTest, ::testing::ValuesIn(kVariants),
                         [](const auto& test) { return std::string(test.param.key); });

TEST_P(HalfLifeVariantTest, BuilderRequests) {
  const int32_t count = static_cast<int32_t>(v.requests.size());
  EXPECT_EQ(hl.PacketCount(), count);
  for (int32_t step = 0; step < count; ++step) {
    SCOPED_TRACE(step);
    EXPECT_EQ(hl.Build(step), v.requests[static_cast<std::size_t>(step)]);
    EXPECT_EQ(hl.PerServer(step), step == v.perServerStep);
  }
  EXPECT_EQ(hl.Build(count), "<none>");
  EXPECT_EQ(hl.Build(-1), "<none>");
}

TEST_P(HalfLifeVariantTest, InfoReply) {
  EXPECT_EQ(hl.Parse(ValidInfo(), v.infoStep), SKARVEL_PARSE_COMPLETE);
  const std::string players = v.infoGivesPlayerCount ? "7" : "";
  EXPECT_EQ(hl.info,
            (std::array<std::string, 5>{"Dust Bowl", "de_dust2", v.fragLimit, players, "16"}));
  EXPECT_TRUE(hl.players.empty());
  EXPECT_EQ(hl.listed, 1);
  EXPECT_EQ(hl.challenge, 0);
}

// Name and map of a server of another game are not delivered: such a reply
// must not change the data of the server it seems to come from.
TEST_P(HalfLifeVariantTest, OtherGameDeliversNothing) {
  EXPECT_EQ(
      hl.Parse(v.infoReply({"valve", "Half-Life", 70}, "Crossfire", "crossfire", 3, 8), v.infoStep),
      SKARVEL_PARSE_NOT_OURS);
  EXPECT_TRUE(hl.calls.empty());
  EXPECT_EQ(hl.listed, v.listedOnRejectedInfo ? 1 : 0);
}

// Real servers put their own text in the description but cannot change the
// game folder; a Source server also gives the application id. Other games,
// which may answer on the same address, stay refused.
TEST_P(HalfLifeVariantTest, GameKnownByDescriptionOrByFolderAndApplicationId) {
  struct Row {
    Game game;
    bool oldFormatAccepts; // "cs" and "csp"
    bool sourceAccepts;    // "css"
  };
  const Row rows[] = {
      {{"cstrike", "Counter-Strike", 10}, true, false}, // CS 1.6 answering in the Source format
      {{"cstrike", "CounterStrike", 10}, true, false},
      {{"cstrike", "=[EU]= Clan Deathmatch | www.example.org", 240}, true, true},
      {{"cstrike", "", 240}, true, true},
      {{"cstrike", "Counter-Strike: Source", 240}, true, true},
      {{"cstrike", "Counter-Strike: Source", 10}, true, true},
      {{"cstrike", "Counter-Strike: Global Offensive", 730}, true, false},
      {{"valve", "Counter-Strike", 70}, true, false},
      {{"valve", "Counter-Strike: Source", 240}, false, true},
      {{"valve", "counter-strike", 70}, false, false},
      {{"valve", "Counter-Strike ", 70}, false, false},
      {{"valve", "Counter-Strike: Source ", 240}, false, false},
      {{"valve", "Half-Life", 70}, false, false},
      {{"tf", "Team Fortress", 440}, false, false},
      {{"dod", "Day of Defeat: Source", 300}, false, false},
      {{"csgo", "Counter-Strike: Global Offensive", 730}, false, false},
      {{"Cstrike", "CounterStrike", 240}, false, false},
      {{"cstrike ", "CounterStrike", 240}, false, false},
      {{"", "", 240}, false, false},
  };
  const bool source = v.infoReply == &SourceInfo;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.game.folder + " / " + row.game.description + " / " +
                 std::to_string(row.game.applicationId));
    hl.ClearRecord();
    const bool accepted = source ? row.sourceAccepts : row.oldFormatAccepts;
    EXPECT_EQ(hl.Parse(v.infoReply(row.game, "Srv", "map", 1, 2), v.infoStep),
              accepted ? SKARVEL_PARSE_COMPLETE : SKARVEL_PARSE_NOT_OURS);
    if (accepted)
      EXPECT_EQ(hl.info[0], "Srv");
    else
      EXPECT_TRUE(hl.calls.empty());
  }
}

TEST_P(HalfLifeVariantTest, InfoReplyOfTheOtherFormatIsNotOurs) {
  EXPECT_EQ(hl.Parse(v.otherInfoReply(v.ownGame, "Srv", "map", 1, 2), v.infoStep),
            SKARVEL_PARSE_NOT_OURS);
  EXPECT_TRUE(hl.calls.empty());
}

TEST_P(HalfLifeVariantTest, PlayerReply) {
  const std::vector<Entry> entries = {{"Alpha", 12},
                                      {"Minus One", 0xFFFFFFFF},
                                      {"Lowest", 0x80000000},
                                      {"Highest", 0x7FFFFFFF},
                                      {"", 0}};
  EXPECT_EQ(hl.Parse(PlayerReply(5, entries), v.playerStep), SKARVEL_PARSE_COMPLETE);
  EXPECT_EQ(hl.players, (std::vector<Player>{{"Alpha", "12"},
                                             {"Minus One", "-1"},
                                             {"Lowest", "-2147483648"},
                                             {"Highest", "2147483647"},
                                             {"", "0"}}));
  EXPECT_EQ(hl.info[3], v.infoGivesPlayerCount ? "" : "5");
  EXPECT_EQ(hl.listed, v.listedAfterPlayers ? 1 : 0);
  EXPECT_EQ(hl.challenge, 0);
}

TEST_P(HalfLifeVariantTest, EmptyPlayerList) {
  EXPECT_EQ(hl.Parse(PlayerReply(0, {}), v.playerStep), SKARVEL_PARSE_COMPLETE);
  EXPECT_TRUE(hl.players.empty());
  EXPECT_EQ(hl.info[3], v.infoGivesPlayerCount ? "" : "0");
}

TEST_P(HalfLifeVariantTest, CountBeyondThePlayersStopsAtTheEnd) {
  EXPECT_EQ(hl.Parse(PlayerReply(255, {{"One", 1}, {"Two", 2}}), v.playerStep),
            SKARVEL_PARSE_COMPLETE);
  EXPECT_EQ(hl.players, (std::vector<Player>{{"One", "1"}, {"Two", "2"}}));
  EXPECT_EQ(hl.listed, v.listedAfterPlayers ? 1 : 0);
}

TEST_P(HalfLifeVariantTest, PlayerNameEncoding) {
  // The local encoding is UTF-8, so conversion keeps valid names but cuts them
  // to 128 bytes on a character boundary.
  std::string accents;
  for (int i = 0; i < 100; ++i)
    accents += "\xC3\xA9";
  const std::string converted = v.utf8Names ? accents.substr(0, 128) : accents;
  const std::string invalid = "bad\xC3(";
  hl.Parse(PlayerReply(3, {{"J\xC3\xBCrgen", 1}, {accents, 2}, {invalid, 3}}), v.playerStep);
  EXPECT_EQ(hl.players,
            (std::vector<Player>{{"J\xC3\xBCrgen", "1"}, {converted, "2"}, {invalid, "3"}}));
}

TEST_P(HalfLifeVariantTest, ChallengeHandshake) {
  const std::string challengeReply = Reply('A', "\x11\x22\x33\x44");
  if (!v.hasChallenge) {
    // Step 0 of "cs" wants an info reply.
    EXPECT_EQ(hl.Parse(challengeReply, 0), SKARVEL_PARSE_NOT_OURS);
    EXPECT_EQ(hl.challenge, 0);
    return;
  }
  const std::string unchallenged = kPrefix + "U";
  EXPECT_EQ(hl.Build(v.perServerStep, 0), unchallenged);

  ASSERT_EQ(hl.Parse(challengeReply, 0), SKARVEL_PARSE_COMPLETE);
  EXPECT_EQ(hl.listed, 0); // pending until it shows it is a Counter-Strike server
  ASSERT_NE(hl.challenge, 0);
  const intptr_t challenge = hl.challenge;
  EXPECT_EQ(hl.Build(v.perServerStep, challenge), unchallenged + "\x11\x22\x33\x44");
  EXPECT_EQ(hl.Build(v.infoStep, challenge), v.requests[static_cast<std::size_t>(v.infoStep)]);

  // A newer challenge shows through the value the host already holds.
  hl.Reset();
  ASSERT_EQ(hl.Parse(Reply('A', std::string("\xAA\x00\xBB\xCC", 4)), 0), SKARVEL_PARSE_COMPLETE);
  EXPECT_EQ(hl.challenge, challenge);
  EXPECT_EQ(hl.Build(v.perServerStep, challenge),
            unchallenged + std::string("\xAA\x00\xBB\xCC", 4));
}

// The type and four challenge bytes, no more and no less.
TEST_P(HalfLifeVariantTest, ChallengeReplyIsExactlyNineBytes) {
  const std::string reply = Reply('A', "\x01\x02\x03\x04") + "\x05";
  for (std::size_t length = 0; length <= reply.size(); ++length) {
    SCOPED_TRACE(length);
    const bool accepted = v.hasChallenge && length == 9;
    EXPECT_EQ(hl.Parse(reply.substr(0, length), 0),
              accepted ? SKARVEL_PARSE_COMPLETE : SKARVEL_PARSE_NOT_OURS);
    EXPECT_EQ(hl.challenge != 0, accepted);
    EXPECT_EQ(hl.listed, v.hasChallenge ? 0 : 1);
  }
}

TEST_P(HalfLifeVariantTest, ReplyOfAnotherTypeThanTheStepWantsIsNotOurs) {
  const std::string info = ValidInfo();
  const std::string players = PlayerReply(1, {{"P", 1}});
  const std::string challenge = Reply('A', "\x01\x02\x03\x04");
  for (const int32_t step : kAllSteps) {
    for (const std::string& reply : {info, players, challenge}) {
      const bool wanted = (step == v.infoStep && reply == info) ||
                          (step == v.playerStep && reply == players) ||
                          (v.hasChallenge && step == 0 && reply == challenge) ||
                          // "cs" reads every step but the first as a player reply
                          (!v.hasChallenge && step != 0 && reply == players);
      SCOPED_TRACE(testing::Message() << "step " << step << " type " << reply[4]);
      hl.ClearRecord();
      EXPECT_EQ(hl.Parse(reply, step), wanted ? SKARVEL_PARSE_COMPLETE : SKARVEL_PARSE_NOT_OURS);
    }
  }
}

TEST_P(HalfLifeVariantTest, ShortOrForeignDatagramsAreNotOurs) {
  const std::string cases[] = {"",
                               "\xFF",
                               kPrefix,
                               kPrefix + "D",
                               kPrefix + "m",
                               kPrefix + "I",
                               std::string("\xFE\xFF\xFF\xFF") + "D" + Byte(0),
                               "\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF"};
  for (const int32_t step : kAllSteps) {
    for (const std::string& reply : cases) {
      SCOPED_TRACE(testing::Message() << "step " << step << " length " << reply.size());
      hl.ClearRecord();
      EXPECT_EQ(hl.Parse(reply, step), SKARVEL_PARSE_NOT_OURS);
      EXPECT_TRUE(hl.calls.empty());
      EXPECT_EQ(hl.challenge, 0);
      EXPECT_LE(hl.listed, 1);
    }
  }
}

// A player reply is whole records that fill the datagram: cut at the end of a
// record it ends there (the count may promise more), cut anywhere else it is
// no reply and delivers nothing.
TEST_P(HalfLifeVariantTest, EveryTruncationOfAPlayerReply) {
  std::vector<std::size_t> ends = {6}; // the count alone: no player
  const std::string reply = PlayerReply(3, {{"Alpha", 1}, {"Bravo", 2}, {"Charlie", 3}}, &ends);
  const std::vector<Player> all = {{"Alpha", "1"}, {"Bravo", "2"}, {"Charlie", "3"}};
  for (std::size_t length = 0; length <= reply.size(); ++length) {
    SCOPED_TRACE(length);
    hl.ClearRecord();
    const int32_t result = hl.Parse(reply.substr(0, length), v.playerStep);
    const auto end = std::find(ends.begin(), ends.end(), length);
    if (end == ends.end()) {
      EXPECT_EQ(result, SKARVEL_PARSE_NOT_OURS);
      EXPECT_TRUE(hl.calls.empty());
      continue;
    }
    EXPECT_EQ(result, SKARVEL_PARSE_COMPLETE);
    EXPECT_EQ(hl.players, std::vector<Player>(all.begin(), all.begin() + (end - ends.begin())));
    EXPECT_EQ(hl.listed, v.listedAfterPlayers ? 1 : 0);
  }
}

// Bytes behind the records the count announced make no player reply, so
// stray datagrams of this type are not taken for one.
TEST_P(HalfLifeVariantTest, BytesAfterTheCountedPlayersAreNotOurs) {
  for (const std::string& tail :
       {std::string(1, '\0'), std::string("x"), Byte(1) + Text("Extra")}) {
    SCOPED_TRACE(::testing::PrintToString(tail));
    hl.ClearRecord();
    EXPECT_EQ(hl.Parse(PlayerReply(1, {{"One", 1}}) + tail, v.playerStep), SKARVEL_PARSE_NOT_OURS);
    EXPECT_EQ(hl.Parse(PlayerReply(0, {}) + tail, v.playerStep), SKARVEL_PARSE_NOT_OURS);
    EXPECT_TRUE(hl.calls.empty());
  }
}

// A cut info reply is rejected, and delivers nothing, unless both counts arrived.
TEST_P(HalfLifeVariantTest, EveryTruncationOfAnInfoReply) {
  const std::string reply = ValidInfo();
  const std::size_t countsEnd = reply.find(std::string(1, '\0') + Byte(7) + Byte(16)) + 3;
  for (std::size_t length = 0; length <= reply.size(); ++length) {
    SCOPED_TRACE(length);
    hl.ClearRecord();
    const bool whole = length >= countsEnd;
    EXPECT_EQ(hl.Parse(reply.substr(0, length), v.infoStep),
              whole ? SKARVEL_PARSE_COMPLETE : SKARVEL_PARSE_NOT_OURS);
    EXPECT_EQ(hl.listed, whole || v.listedOnRejectedInfo ? 1 : 0);
    if (whole)
      EXPECT_EQ(hl.info[4], "16");
    else
      EXPECT_TRUE(hl.calls.empty());
  }
}

TEST_P(HalfLifeVariantTest, TextFieldsWithoutTerminatorDeliverNothing) {
  // The last name runs to the end of the datagram: no frags follow it.
  EXPECT_EQ(hl.Parse(PlayerReply(2, {{"Whole", 5}}) + Byte(1) + "Unended", v.playerStep),
            SKARVEL_PARSE_NOT_OURS);

  const std::string info = v.infoReply(v.ownGame, "Unended server name", "", 0, 0);
  const std::size_t nameStart = info.find("Unended");
  EXPECT_EQ(hl.Parse(info.substr(0, nameStart + 7), v.infoStep), SKARVEL_PARSE_NOT_OURS);

  const std::string& description = v.ownGame.description;
  const std::string unendedGame = v.infoReply(v.ownGame, "Srv", "map", 1, 2);
  const std::size_t gameEnd = unendedGame.find(description) + description.size();
  EXPECT_EQ(hl.Parse(unendedGame.substr(0, gameEnd), v.infoStep), SKARVEL_PARSE_NOT_OURS);
  EXPECT_TRUE(hl.calls.empty());
}

TEST_P(HalfLifeVariantTest, HostileTextsAreDeliveredVerbatim) {
  const std::string longText(1200, 'x');
  EXPECT_EQ(hl.Parse(v.infoReply(v.ownGame, "%s%n%s%n", longText, 1, 2), v.infoStep),
            SKARVEL_PARSE_COMPLETE);
  EXPECT_EQ(hl.info[0], "%s%n%s%n");
  EXPECT_EQ(hl.info[1], longText);

  // Longer than 128 characters, so the "css" conversion also leaves it alone.
  EXPECT_EQ(hl.Parse(PlayerReply(2, {{"%s%n%x", 1}, {longText, 2}}), v.playerStep),
            SKARVEL_PARSE_COMPLETE);
  EXPECT_EQ(hl.players, (std::vector<Player>{{"%s%n%x", "1"}, {longText, "2"}}));
}

TEST_P(HalfLifeVariantTest, RandomBytesNeverCrash) {
  std::mt19937 random(1337);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string noise(2048, '\0');
  for (char& c : noise)
    c = static_cast<char>(byte(random));
  // Behind each reply type, so the field readers run over the noise too.
  std::vector<std::string> datagrams = {noise};
  for (const char type : {'m', 'I', 'D', 'A'})
    datagrams.push_back(Reply(type, noise));
  for (const int32_t step : kAllSteps) {
    for (const std::string& datagram : datagrams) {
      SCOPED_TRACE(testing::Message() << "step " << step << " type " << datagram[4]);
      hl.ClearRecord();
      const int32_t result = hl.Parse(datagram, step);
      EXPECT_TRUE(result == SKARVEL_PARSE_NOT_OURS || result == SKARVEL_PARSE_COMPLETE);
      EXPECT_LE(hl.listed, 1);
    }
  }
}

} // namespace
