#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "protocols/Factories.h"
#include "protocols/server_u4.h"
#include "tests/support/ProtocolHarness.h"

namespace {

using Call = ProtocolHarness::Call;
using Player = ProtocolHarness::Player;

class U4Test : public ::testing::Test {
protected:
  ProtocolHarness u4{&CreateQueryOf<TQueryU4>, &CreateServerOf<TServerU4>};
};

// Reply bytes as a UT2004 server lays them out.
std::string Header(unsigned char replyType) {
  return std::string("\x80\0\0\0", 4) + static_cast<char>(replyType);
}
std::string Int32(int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  return {static_cast<char>(bits), static_cast<char>(bits >> 8), static_cast<char>(bits >> 16),
          static_cast<char>(bits >> 24)};
}
// An 8-bit compact text: the length counts the NUL.
std::string Text(const std::string& text) {
  return static_cast<char>(text.size() + 1) + text + '\0';
}
// A UTF-16 compact text: 0x80 plus the number of units, the NUL included.
std::string Wide(const std::u16string& text) {
  std::string field(1, static_cast<char>(0x80 + text.size() + 1));
  for (const char16_t unit : text) {
    field += static_cast<char>(unit & 0xFF);
    field += static_cast<char>(unit >> 8);
  }
  return field + std::string(2, '\0');
}

std::string ServerInfoReply(const std::string& nameField, const std::string& mapField,
                            int32_t players, int32_t maxPlayers) {
  return Header(0) + Int32(1) /* server id */ + std::string(1, '\0') /* address */ + Int32(7777) +
         Int32(7778) + nameField + mapField + Text("xDeathMatch") + Int32(players) +
         Int32(maxPlayers) + Int32(0) /* ping */ + Int32(0) /* flags */ + Text("") /* skill */;
}

std::string PlayerEntry(int32_t number, const std::string& nameField, int32_t score) {
  return Int32(number) + nameField + Int32(40) /* ping */ + Int32(score) +
         Int32(0x12345678) /* statistics id */;
}

TEST_F(U4Test, BuilderSendsThreeRequestsToTheAddress) {
  EXPECT_EQ(u4.PacketCount(), 3);
  const std::string requests[] = {std::string("\x78\0\0\0\0", 5), std::string("\x78\0\0\0\x02", 5),
                                  std::string("\x78\0\0\0\x01", 5)};
  for (int32_t step = 0; step < 3; ++step) {
    EXPECT_FALSE(u4.PerServer(step));
    EXPECT_EQ(u4.Build(step), requests[step]);
  }
  EXPECT_EQ(u4.Build(3), "<none>");
}

TEST_F(U4Test, ServerInformationReply) {
  const std::string coloured = "\x1B\xFE\x40\x40"
                               "Arena";
  EXPECT_EQ(u4.Parse(ServerInfoReply(Text(coloured), Text("DM-Rankin"), 5, 16)),
            SKARVEL_PARSE_COMPLETE);
  EXPECT_EQ(u4.listed, 1);
  EXPECT_EQ(u4.challenge, 0);
  EXPECT_EQ(u4.calls, (std::vector<Call>{{Call::SetInfo, 0, {coloured}},
                                         {Call::SetInfo, 1, {"DM-Rankin"}},
                                         {Call::SetInfo, 3, {"5"}},
                                         {Call::SetInfo, 4, {"16"}}}));
}

TEST_F(U4Test, RulesReplyGivesTheGoalScoreOnly) {
  struct Case {
    const char* name;
    std::string pairs;
    std::vector<Call> calls;
  } cases[] = {
      {"among other rules",
       Text("WeaponStay") + Text("True") + Text("GoalScore") + Text("25") + Text("TimeLimit") +
           Text("20"),
       {{Call::SetInfo, 2, {"25"}}}},
      {"the first one counts",
       Text("GoalScore") + Text("30") + Text("GoalScore") + Text("99"),
       {{Call::SetInfo, 2, {"30"}}}},
      {"sent as UTF-16", Wide(u"GoalScore") + Wide(u"15"), {{Call::SetInfo, 2, {"15"}}}},
      {"absent", Text("WeaponStay") + Text("True"), {}},
      {"name is case-sensitive", Text("goalscore") + Text("25"), {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    u4.ClearRecord();
    EXPECT_EQ(u4.Parse(Header(1) + c.pairs), SKARVEL_PARSE_COMPLETE);
    EXPECT_EQ(u4.calls, c.calls);
  }
}

TEST_F(U4Test, PlayersReplyLeavesOutMarkedEntries) {
  const std::string reply = Header(2) + PlayerEntry(0, Text("Alpha"), 12) +
                            PlayerEntry(1,
                                        Text("\x1B\x0A\xF5\x0A"
                                             "Red Team"),
                                        40) +
                            PlayerEntry(2, Text("Bravo"), -3) +
                            PlayerEntry(3, Text("\x1B\x0A\xF5"), 1) + PlayerEntry(4, Text(""), 0);
  EXPECT_EQ(u4.Parse(reply), SKARVEL_PARSE_COMPLETE);
  EXPECT_EQ(u4.players, (std::vector<Player>{
                            {"Alpha", "12"}, {"Bravo", "-3"}, {"\x1B\x0A\xF5", "1"}, {"", "0"}}));
  EXPECT_EQ(u4.calls[0], (Call{Call::AddPlayer, 2, {"Alpha", "12"}}));
}

TEST_F(U4Test, Utf16Names) {
  // A length byte allows 126 units, so only wide characters outgrow the buffer.
  const std::u16string euros42(42, u'\u20AC');
  std::string euros42Utf8;
  for (int i = 0; i < 42; ++i)
    euros42Utf8 += "\xE2\x82\xAC";
  struct Case {
    const char* name;
    std::string field;
    std::string expected;
  } cases[] = {
      {"accented", Wide(u"J\u00FCrgen"), "J\xC3\xBCrgen"},
      {"outside the basic plane", Wide(u"\U0001D11E!"), "\xF0\x9D\x84\x9E!"},
      {"unpaired surrogate", Wide(u"a\xD800z"), "a\xEF\xBF\xBDz"},
      {"empty", Wide(u""), ""},
      {"ends at its NUL", Wide(std::u16string(u"ab\0cd", 5)), "ab"},
      {"caret-hash code", Wide(u"a^#xb"), "ab"},
      {"several codes", Wide(u"^#1^#2Neo^#3!"), "Neo!"},
      {"code before a wide character", Wide(u"^#\u20ACz"), "z"},
      {"caret among the last two", Wide(u"ab^#"), "ab^#"},
      {"caret without hash", Wide(u"a^b"), "a^b"},
      {"127 bytes fit", Wide(euros42 + u"n"), euros42Utf8 + "n"},
      {"128 bytes do not", Wide(euros42 + u"nn"), ""},
      {"64 two-byte characters do not", Wide(std::u16string(64, u'\u00E9')), ""},
      {"8-bit text is not decoded", Text("a^#xb"), "a^#xb"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    u4.ClearRecord();
    // The score behind the name shows the cursor moved over the whole field.
    EXPECT_EQ(u4.Parse(Header(2) + PlayerEntry(7, c.field, 31)), SKARVEL_PARSE_COMPLETE);
    EXPECT_EQ(u4.players, (std::vector<Player>{{c.expected, "31"}}));
  }
}

TEST_F(U4Test, RepliesAreReadByTypeWhateverTheStep) {
  const std::string players = Header(2) + PlayerEntry(0, Text("Alpha"), 3);
  const std::string info = ServerInfoReply(Text("Arena"), Text("DM-Gael"), 1, 8);
  const std::string rules = Header(1) + Text("GoalScore") + Text("20");
  EXPECT_EQ(u4.Parse(players, 0), SKARVEL_PARSE_COMPLETE);
  EXPECT_EQ(u4.Parse(rules, 1), SKARVEL_PARSE_COMPLETE);
  EXPECT_EQ(u4.Parse(info, 2), SKARVEL_PARSE_COMPLETE);
  EXPECT_EQ(u4.info, (std::array<std::string, 5>{"Arena", "DM-Gael", "20", "1", "8"}));
  EXPECT_EQ(u4.players, (std::vector<Player>{{"Alpha", "3"}}));
}

TEST_F(U4Test, OtherRepliesAreNotOurs) {
  for (const std::string& reply :
       {std::string(), std::string("\x80\0\0\0", 4), std::string("\x81\0\0\0\0", 5),
        std::string("\xFF\xFF\xFF\xFFinfoResponse\n", 17), Header(3) + Text("x"), Header(0xFF),
        std::string("\\hostname\\x\\queryid\\1.1\\final\\")}) {
    EXPECT_EQ(u4.Parse(reply), SKARVEL_PARSE_NOT_OURS);
    EXPECT_EQ(u4.listed, 1);
    EXPECT_EQ(u4.challenge, 0);
  }
  EXPECT_TRUE(u4.calls.empty());
}

// A reply is read whole before anything of it is delivered: one cut inside a
// field, with a text lacking its NUL, or with bytes left over that make no
// whole entry is no reply of a server, and delivers nothing.
TEST_F(U4Test, AMalformedReplyDeliversNothing) {
  const std::string info = ServerInfoReply(Text("Arena"), Text("DM-Gael"), 1, 8);
  const std::string players = Header(2) + PlayerEntry(0, Text("Alpha"), 5);
  const struct {
    const char* name;
    std::string reply;
  } cases[] = {
      {"info without header fields", Header(0) + Int32(1)},
      {"info cut in the player count", info.substr(0, 49)},
      {"info name without its NUL",
       Header(0) + info.substr(5, 13) + "\x06" + "Arena!" + info.substr(25)},
      {"header bytes not zero", std::string("\x80\x01\0\0", 4) + info.substr(4)},
      {"text longer than the reply", Header(2) + Int32(0) + "\x7F" + "abc"},
      {"UTF-16 text longer than the reply",
       Header(2) + Int32(0) + "\xFF" + std::string("a\0b\0", 4)},
      {"UTF-16 text without its NUL unit",
       Header(1) + "\x82" + std::string("a\0b\0", 4) + Text("1")},
      {"players cut in the second name", players + Int32(1) + Text("Bravo").substr(0, 3)},
      {"players cut in the score",
       Header(2) + Int32(0) + Text("Alpha") + Int32(40) + std::string("\x05\0", 2)},
      {"players without the last statistics id", players.substr(0, players.size() - 4)},
      {"a lone byte after the players", players + '\0'},
      {"rules value missing", Header(1) + Text("GoalScore")},
      {"a lone byte after the rules", Header(1) + Text("GoalScore") + Text("25") + '\0'},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    u4.ClearRecord();
    EXPECT_EQ(u4.Parse(c.reply), SKARVEL_PARSE_NOT_OURS);
    EXPECT_TRUE(u4.calls.empty());
  }
}

TEST_F(U4Test, EveryTruncationParsesSafely) {
  const std::string replies[] = {
      ServerInfoReply(Wide(u"^#1Arena"), Text("DM-Gael"), 1, 8),
      Header(1) + Text("WeaponStay") + Wide(u"True") + Text("GoalScore") + Text("20"),
      Header(2) + PlayerEntry(0, Wide(u"Alpha"), 3) + PlayerEntry(1, Text("Bravo"), -1)};
  for (const std::string& reply : replies) {
    for (std::size_t length = 0; length <= reply.size(); ++length) {
      u4.ClearRecord();
      const int32_t result = u4.Parse(reply.substr(0, length));
      EXPECT_TRUE(result == SKARVEL_PARSE_NOT_OURS || result == SKARVEL_PARSE_COMPLETE) << length;
      if (length == reply.size()) {
        EXPECT_EQ(result, SKARVEL_PARSE_COMPLETE);
      }
    }
  }
}

} // namespace
