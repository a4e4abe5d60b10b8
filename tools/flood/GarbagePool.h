#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

// Datagrams that are no reply of any built-in game: random bytes, reply
// headers with noise behind them, and real replies of the emulator cut,
// overwritten, stretched or spliced. A candidate that a parser takes for a
// reply after all is not kept.
class TGarbagePool {
public:
  TGarbagePool(uint32_t seed, std::size_t size);

  const std::string& Pick(std::mt19937& random) const;
  std::size_t Size() const { return datagrams_.size(); }
  // Candidates left out because a parser took them for a reply.
  std::size_t Screened() const { return screened_; }

private:
  std::string Candidate();
  std::string RandomBytes(std::size_t length);
  std::string Noise();
  std::string HeaderWithNoise();
  std::string MangledReply();

  std::mt19937 random_;
  std::vector<std::string> realReplies_;
  std::vector<std::string> datagrams_;
  std::size_t screened_ = 0;
};
