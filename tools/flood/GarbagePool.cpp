#include "tools/flood/GarbagePool.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "tools/fakeserver/GameProfile.h"
#include "tools/fakeserver/ReplyBuilderFactory.h"
#include "tools/flood/ReplyScreen.h"

namespace {

using namespace std::string_literals;

// Longer datagrams than a real reply's are not needed to reach any parser path.
constexpr std::size_t kMaxLength = 1400;

// What each game's servers are asked, so the emulator answers as they do.
struct TRequests {
  const char* gameKey;
  std::vector<std::string> requests;
};

const TRequests kRequests[] = {
    {"ut", {"\\status\\"}},
    {"u4", {"\x78\0\0\0\0"s, "\x78\0\0\0\x01"s, "\x78\0\0\0\x02"s}},
    {"q2", {"\xFF\xFF\xFF\xFFinfo 34"}},
    {"q3", {"\xFF\xFF\xFF\xFFgetstatus"}},
    {"cs",
     {"\xFF\xFF\xFF\xFF"
      "details",
      "\xFF\xFF\xFF\xFF"
      "players"}},
    {"csp", {"\xFF\xFF\xFF\xFFW", "\xFF\xFF\xFF\xFFTSource Engine Query\0"s}},
    {"css", {"\xFF\xFF\xFF\xFFW", "\xFF\xFF\xFF\xFFTSource Engine Query\0"s}},
};

// The openings of the replies the parsers look for.
const std::array<std::string_view, 16> kHeaders = {
    "\xFF\xFF\xFF\xFF"
    "A",
    "\xFF\xFF\xFF\xFF"
    "D",
    "\xFF\xFF\xFF\xFF"
    "m",
    "\xFF\xFF\xFF\xFF"
    "I",
    "\xFF\xFF\xFF\xFFinfo\n",
    "\xFF\xFF\xFF\xFFstatusResponse\n\\",
    "\xFF\xFF\xFF\xFFprint\n",
    std::string_view("\x80\0\0\0\0", 5),
    std::string_view("\x80\0\0\0\x01", 5),
    std::string_view("\x80\0\0\0\x02", 5),
    "\\",
    "\\hostname\\",
    "\\queryid\\",
    "\\player_0\\",
    "\\queryid\\1.1\\",
    "\\final\\",
};

std::vector<std::string> RealReplies(uint32_t seed) {
  std::vector<std::string> replies;
  for (const TRequests& game : kRequests) {
    const GameProfile* profile = FindGameProfile(game.gameKey);
    ServerSetup setup;
    setup.name = "Flood Target";
    setup.map = profile->defaultMap;
    setup.address = "127.0.0.1";
    setup.gamePort = profile->defaultGamePort;
    setup.queryPort = profile->defaultGamePort + profile->queryPortOffset;
    setup.initialPlayers = 3;
    setup.colourCodedNames = profile->colourCodedNames;
    setup.seed = seed;
    const ServerState state(setup);
    const auto builder = MakeReplyBuilder(game.gameKey, seed);
    for (const std::string& request : game.requests)
      for (std::string& reply : builder->Answer(request, state))
        replies.push_back(std::move(reply));
  }
  return replies;
}

} // namespace

TGarbagePool::TGarbagePool(uint32_t seed, std::size_t size)
    : random_(seed), realReplies_(RealReplies(seed)) {
  const TReplyScreen screen;
  while (datagrams_.size() < size) {
    std::string candidate = Candidate();
    if (screen.IsReply(candidate))
      ++screened_;
    else
      datagrams_.push_back(std::move(candidate));
  }
}

const std::string& TGarbagePool::Pick(std::mt19937& random) const {
  return datagrams_[std::uniform_int_distribution<std::size_t>(0, datagrams_.size() - 1)(random)];
}

std::string TGarbagePool::Candidate() {
  switch (std::uniform_int_distribution<int>(0, 2)(random_)) {
  case 0:
    return Noise();
  case 1:
    return HeaderWithNoise();
  default:
    return MangledReply();
  }
}

std::string TGarbagePool::RandomBytes(std::size_t length) {
  std::uniform_int_distribution<int> byte(0, 255);
  std::string bytes(length, '\0');
  for (char& c : bytes)
    c = static_cast<char>(byte(random_));
  return bytes;
}

// Mostly short, as stray datagrams are, some up to a full reply's length.
std::string TGarbagePool::Noise() {
  const std::size_t longest = std::bernoulli_distribution(0.5)(random_) ? 32 : kMaxLength;
  return RandomBytes(std::uniform_int_distribution<std::size_t>(0, longest)(random_));
}

std::string TGarbagePool::HeaderWithNoise() {
  const std::string_view header =
      kHeaders[std::uniform_int_distribution<std::size_t>(0, kHeaders.size() - 1)(random_)];
  return std::string(header) + Noise();
}

std::string TGarbagePool::MangledReply() {
  std::uniform_int_distribution<std::size_t> pick(0, realReplies_.size() - 1);
  std::string reply = realReplies_[pick(random_)];
  const auto at = [&](std::size_t size) {
    return std::uniform_int_distribution<std::size_t>(0, size)(random_);
  };
  switch (std::uniform_int_distribution<int>(0, 4)(random_)) {
  case 0: // cut
    reply.resize(at(reply.size()));
    break;
  case 1: // a few bytes overwritten
    for (int n = std::uniform_int_distribution<int>(1, 8)(random_); n > 0 && !reply.empty(); --n)
      reply[at(reply.size() - 1)] = RandomBytes(1)[0];
    break;
  case 2: // noise put in
    reply.insert(at(reply.size()), RandomBytes(at(16) + 1));
    break;
  case 3: // noise behind it
    reply += RandomBytes(at(64) + 1);
    break;
  default: // the head of one reply on the tail of another
    const std::string& other = realReplies_[pick(random_)];
    reply = reply.substr(0, at(reply.size())) + other.substr(at(other.size()));
    break;
  }
  if (reply.size() > kMaxLength)
    reply.resize(kMaxLength);
  return reply;
}
