#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <vector>

#include "protocols/Factories.h"
#include "protocols/server_q3.h"
#include "tests/support/ProtocolHarness.h"

namespace {

using Call = ProtocolHarness::Call;
using Player = ProtocolHarness::Player;

// A byte literal with its embedded NULs.
template <std::size_t N> std::string Bytes(const char (&literal)[N]) {
  return std::string(literal, N - 1);
}

const std::string kHeader = "\xFF\xFF\xFF\xFFstatusResponse\n";
const std::string kVariables =
    "\\sv_hostname\\^1Red^7Server\\mapname\\q3dm17\\fraglimit\\20\\sv_maxclients\\16\n";

class Q3Test : public ::testing::Test {
protected:
  ProtocolHarness q3{&CreateQueryOf<TQueryQ3>, &CreateServerOf<TServerQ3>};
};

TEST_F(Q3Test, BuilderSendsGetstatusOnce) {
  EXPECT_EQ(q3.PacketCount(), 1);
  EXPECT_FALSE(q3.PerServer(0));
  EXPECT_EQ(q3.Build(0), std::string("\xFF\xFF\xFF\xFFgetstatus"));
  EXPECT_EQ(q3.Build(0).size(), 13u);
  EXPECT_EQ(q3.Build(1), "<none>");
  EXPECT_EQ(q3.Build(-1), "<none>");
}

TEST_F(Q3Test, FullReplyInCallOrder) {
  EXPECT_EQ(q3.Parse(kHeader + kVariables + "12 50 \"^2Bob\"\n3 80 \"Alice\"\n"),
            SKARVEL_PARSE_COMPLETE);
  EXPECT_EQ(q3.challenge, 0);
  EXPECT_EQ(q3.listed, 1);
  const std::vector<Call> expected = {
      {Call::SetInfo, 0, {"RedServer"}},    {Call::SetInfo, 1, {"q3dm17"}},
      {Call::SetInfo, 2, {"20"}},           {Call::AddPlayer, 2, {"Bob", "12"}},
      {Call::AddPlayer, 2, {"Alice", "3"}}, {Call::SetInfo, 3, {"2"}},
      {Call::SetInfo, 4, {"16"}},
  };
  EXPECT_EQ(q3.calls, expected);
}

TEST_F(Q3Test, ColourCodesAreStrippedFromTheServerName) {
  const struct {
    const char* raw;
    const char* shown;
  } cases[] = {
      {"^1Red^7Server", "RedServer"},
      {"^Xff0000Name", "Name"},
      {"^xff0000Name", "Name"},
      {"Name^", "Name^"},
      {"^^1A", "1A"},         // the second "^" is the first one's colour
      {"A^X12", "A"},         // a free colour cut short by the end
      {"50^% off", "50 off"}, // any character after "^" is a colour
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.raw);
    q3.ClearRecord();
    EXPECT_EQ(q3.Parse(kHeader + "\\sv_hostname\\" + c.raw + "\\mapname\\q3dm1\n"),
              SKARVEL_PARSE_COMPLETE);
    EXPECT_EQ(q3.info[0], c.shown);
  }
}

TEST_F(Q3Test, PlayerLines) {
  const struct {
    const char* name;
    std::string playerPart;
    std::vector<Player> players;
  } cases[] = {
      {"none", "", {}},
      {"score, ping and coloured name", "12 50 \"^2Bob\"\n", {{"Bob", "12"}}},
      {"free colour in a name", "1 2 \"^XAABBCCRed\"\n", {{"Red", "1"}}},
      {"negative score", "-4 0 \"Neg\"\n", {{"Neg", "-4"}}},
      {"empty name", "5 10 \"\"\n", {{"", "5"}}},
      {"blanks in the name", "0 999 \"A B\"\n", {{"A B", "0"}}},
      {"inner quotes stay", "1 0 \"a\"b\"\n", {{"a\"b", "1"}}},
      {"CR LF and CR line ends",
       "1 0 \"A\"\r\n2 0 \"B\"\r3 0 \"C\"",
       {{"A", "1"}, {"B", "2"}, {"C", "3"}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    q3.ClearRecord();
    EXPECT_EQ(q3.Parse(kHeader + kVariables + c.playerPart), SKARVEL_PARSE_COMPLETE);
    EXPECT_EQ(q3.players, c.players);
    EXPECT_EQ(q3.info[3], std::to_string(c.players.size()));
  }
}

// A server prints every player as score, ping and quoted name: a line that is
// not one makes the datagram no status reply, and nothing of it is delivered.
TEST_F(Q3Test, ALineThatIsNoPlayerLineRejectsTheReply) {
  const struct {
    const char* name;
    std::string playerPart;
  } cases[] = {
      {"no blank", "garbage\n"},
      {"no quotes", "7 30 Bare\n"},
      {"no ping", "7 \"Name\"\n"},
      {"score not a number", "x 30 \"Name\"\n"},
      {"ping not a number", "7 3x \"Name\"\n"},
      {"empty line among players", "1 0 \"A\"\n\n2 0 \"B\"\n"},
      {"name not closed", "3 20 \"Open\n"},
      {"a lone quote", "5 10 \"\n"},
      {"only a line break", "\n"},
      {"binary noise after good players", "1 0 \"A\"\n\x01\x02\xFE\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    q3.ClearRecord();
    EXPECT_EQ(q3.Parse(kHeader + kVariables + c.playerPart), SKARVEL_PARSE_NOT_OURS);
    EXPECT_TRUE(q3.calls.empty());
  }
}

TEST_F(Q3Test, WithoutSecondLineEndThereAreNoPlayers) {
  EXPECT_EQ(q3.Parse(kHeader + "\\sv_hostname\\Solo\\mapname\\q3dm1"), SKARVEL_PARSE_COMPLETE);
  EXPECT_EQ(q3.info, (std::array<std::string, 5>{"Solo", "q3dm1", "", "0", ""}));
  EXPECT_TRUE(q3.players.empty());
}

TEST_F(Q3Test, VariableLookup) {
  const struct {
    const char* name;
    std::string variables;
    std::array<std::string, 5> info;
  } cases[] = {
      {"names without regard to case",
       "\\SV_HOSTNAME\\Loud\\MapName\\q3dm2\\FRAGLIMIT\\5\\Sv_MaxClients\\8",
       {"Loud", "q3dm2", "5", "0", "8"}},
      {"first of repeated names", "\\mapname\\first\\mapname\\second", {"", "first", "", "0", ""}},
      {"value holding an equals sign", "\\sv_hostname\\a=b", {"a=b", "", "", "0", ""}},
      {"longer names do not match", "\\sv_hostname2\\no\\fraglimit\\9", {"", "", "9", "0", ""}},
      {"name without value", "\\mapname\\q3dm3\\sv_hostname", {"", "q3dm3", "", "0", ""}},
      {"colour kept in other variables", "\\mapname\\^1dm", {"", "^1dm", "", "0", ""}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    q3.ClearRecord();
    EXPECT_EQ(q3.Parse(kHeader + c.variables + "\n"), SKARVEL_PARSE_COMPLETE);
    EXPECT_EQ(q3.info, c.info);
  }
}

TEST_F(Q3Test, RepliesOfOtherGamesAreNotOurs) {
  const std::string cases[] = {
      "", "\xFF", "\xFF\xFF\xFF\xFFprint\nBig Frag Arena q2dm1 3/16\n",
      Bytes("\xFF\xFF\xFF\xFFmlocalhost:27015\0Srv\0de_dust\0cstrike\0Counter-Strike\0\x01\x10"),
      kHeader + "\\sv_hostname\\\\mapname\\\\fraglimit\\\\sv_maxclients\\16\n1 0 \"A\"\n",
      kHeader + "\\gamename\\baseq3\n",
      // The variables of a status reply without its reply word, or under another.
      kVariables, "\xFF\xFF\xFF\xFF\n" + kVariables, "\xFF\xFF\xFF\xFFinfoResponse\n" + kVariables,
      "\xFF\xFF\xFF\xFFstatusResponse " + kVariables,
      kHeader + "sv_hostname\\Arena\\mapname\\q3dm1\n", // the variables open with a backslash
  };
  for (const std::string& reply : cases) {
    q3.ClearRecord();
    EXPECT_EQ(q3.Parse(reply), SKARVEL_PARSE_NOT_OURS);
    EXPECT_TRUE(q3.calls.empty());
    EXPECT_EQ(q3.listed, 1);
    EXPECT_EQ(q3.challenge, 0);
  }
}

TEST_F(Q3Test, HostileTextsAreDeliveredVerbatim) {
  const std::string longName(1500, 'n');
  EXPECT_EQ(q3.Parse(kHeader + "\\sv_hostname\\%s%n%s\\mapname\\" + longName + "\n" +
                     "1 0 \"%s%n\"\n2 0 \"" + longName + "\"\n"),
            SKARVEL_PARSE_COMPLETE);
  EXPECT_EQ(q3.info[0], "%s%n%s");
  EXPECT_EQ(q3.info[1], longName);
  EXPECT_EQ(q3.players, (std::vector<Player>{{"%s%n", "1"}, {longName, "2"}}));
}

TEST_F(Q3Test, EveryTruncationGivesASoundResult) {
  const std::string reply = kHeader + kVariables + "12 50 \"^2Bob\"\n3 80 \"Alice\"\n";
  for (std::size_t length = 0; length <= reply.size(); ++length) {
    SCOPED_TRACE(length);
    q3.ClearRecord();
    const int32_t result = q3.Parse(reply.substr(0, length));
    ASSERT_TRUE(result == SKARVEL_PARSE_NOT_OURS || result == SKARVEL_PARSE_COMPLETE);
    if (result == SKARVEL_PARSE_COMPLETE)
      EXPECT_EQ(q3.info[3], std::to_string(q3.players.size()));
    else
      EXPECT_TRUE(q3.calls.empty());
  }
}

TEST_F(Q3Test, RandomBytesNeverCrash) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string noise(2048, '\0');
  for (char& c : noise)
    c = static_cast<char>(byte(random));
  // Seeded with backslashes and line ends so the variable and player paths run too.
  std::string shaped = noise;
  for (std::size_t i = 0; i < shaped.size(); i += 7)
    shaped[i] = i % 3 ? '\\' : '\n';
  for (const std::string& datagram : {noise, shaped, kHeader + "\\mapname\\x\n" + noise}) {
    q3.ClearRecord();
    const int32_t result = q3.Parse(datagram);
    EXPECT_TRUE(result == SKARVEL_PARSE_NOT_OURS || result == SKARVEL_PARSE_COMPLETE);
    EXPECT_EQ(q3.listed, 1);
  }
}

} // namespace
