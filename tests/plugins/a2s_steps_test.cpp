#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "tests/plugins/A2sHost.h"
#include "tests/plugins/A2sReplies.h"

namespace {

using namespace a2s_replies;

// A step of the host: a datagram received in a step, or the start of a new
// poll.
struct Event {
  int32_t step; // kNewPoll: a new poll begins
  std::string datagram;
};
constexpr int32_t kNewPoll = -100;

void Replay(A2sHost& host, const std::vector<Event>& events) {
  for (const Event& event : events) {
    if (event.step == kNewPoll)
      host.NewPoll();
    else
      ASSERT_NE(host.Receive(event.step, event.datagram), SKARVEL_PARSE_NOT_OURS)
          << "step " << event.step;
  }
}

TEST(A2sStepsTest, FourStepsOnlyTheFirstToTheAddress) {
  A2sHost host;
  EXPECT_EQ(host.PacketCount(), 4);
  const bool perServer[] = {false, true, true, true};
  for (int32_t step = 0; step < 4; ++step)
    EXPECT_EQ(host.PerServer(step), perServer[step]) << "step " << step;
  EXPECT_FALSE(host.PerServer(4));
  EXPECT_FALSE(host.PerServer(-1));
}

struct RequestCase {
  const char* name;
  std::vector<Event> before;
  int32_t step;
  std::string request;
};

// The host keeps the first challenge value of a poll; the requests still
// carry the newest challenge of the right kind.
TEST(A2sStepsTest, EachRequestCarriesTheChallengeItsServerAskedFor) {
  const std::string info1 = Challenge(0x44332211);
  const std::string player = Challenge(0x88776655);
  const RequestCase cases[] = {
      {"info to the address", {}, 0, kInfoRequest},
      {"the address's step has no server's challenge", {{0, info1}}, 0, kInfoRequest},
      {"info with the server's info challenge", {{0, info1}}, 1, kInfoRequest + "\x11\x22\x33\x44"},
      {"info asked again of a server that needs no challenge",
       {{0, Info(SourceInfo{})}},
       1,
       kInfoRequest},
      {"a challenge refused at step 1 gives way to the newer one",
       {{0, Challenge(1)}, {1, info1}},
       1,
       kInfoRequest + "\x11\x22\x33\x44"},
      {"players ask for a challenge",
       {{0, info1}, {1, Info(SourceInfo{})}},
       2,
       kPlayerRequest + kAskForChallenge},
      {"players with the player challenge",
       {{0, info1}, {1, Info(SourceInfo{})}, {2, player}},
       3,
       kPlayerRequest + "\x55\x66\x77\x88"},
      {"the info challenge is no player challenge",
       {{0, info1}},
       3,
       kPlayerRequest + kAskForChallenge},
      {"players asked again of a server that needs no challenge",
       {{0, Info(SourceInfo{})}, {2, Players({{"Bob", 3}})}},
       3,
       kPlayerRequest + kAskForChallenge},
      {"challenges of the last poll are gone",
       {{0, info1}, {1, Info(SourceInfo{})}, {2, player}, {kNewPoll, ""}, {0, Info(SourceInfo{})}},
       3,
       kPlayerRequest + kAskForChallenge},
      {"no step beyond the count", {{0, info1}}, 4, "<none>"},
      {"no step before the first", {}, -1, "<none>"},
  };
  for (const RequestCase& c : cases) {
    SCOPED_TRACE(c.name);
    A2sHost host;
    Replay(host, c.before);
    EXPECT_EQ(host.Request(c.step), c.request);
  }
}

TEST(A2sStepsTest, ServerStepsWithoutAChallengeValueStillSendTheirRequest) {
  A2sHost host;
  EXPECT_EQ(host.Build(1, 0), kInfoRequest);
  EXPECT_EQ(host.Build(2, 0), kPlayerRequest + kAskForChallenge);
  EXPECT_EQ(host.Build(3, 0), kPlayerRequest + kAskForChallenge);
}

// A broadcast address: every server answers step 0 with its own challenge,
// and each server's requests carry its own.
TEST(A2sStepsTest, EveryServerBehindABroadcastAddressKeepsItsOwnChallenges) {
  std::vector<std::unique_ptr<A2sHost>> servers;
  for (uint32_t i = 0; i < 3; ++i) {
    servers.push_back(std::make_unique<A2sHost>());
    ASSERT_EQ(servers[i]->Receive(0, Challenge(0x0A0A0A00 + i)), SKARVEL_PARSE_PARTIAL);
    EXPECT_TRUE(servers[i]->listed);
  }
  for (uint32_t i = 0; i < 3; ++i) {
    A2sHost& server = *servers[i];
    EXPECT_EQ(server.Request(1), kInfoRequest + Le32(0x0A0A0A00 + i));
    ASSERT_EQ(server.Receive(1, Info(SourceInfo{})), SKARVEL_PARSE_COMPLETE);
    ASSERT_EQ(server.Receive(2, Challenge(0x0B0B0B00 + i)), SKARVEL_PARSE_COMPLETE);
  }
  for (uint32_t i = 0; i < 3; ++i)
    EXPECT_EQ(servers[i]->Request(3), kPlayerRequest + Le32(0x0B0B0B00 + i));
  // The builder is shared by the servers of an address: any builder reads
  // any server's challenge value.
  EXPECT_EQ(servers[0]->Build(3, servers[2]->storedChallenge), kPlayerRequest + Le32(0x0B0B0B02));
}

} // namespace
