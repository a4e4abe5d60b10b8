#pragma once

#include <cstddef>

// How an emulated Source query server differs from another.
struct A2sBehaviour {
  // Servers since late 2020 answer an info request without their challenge
  // with the challenge; older ones, and the player request of those that
  // have it turned off, answer at once.
  bool challenge = true;
  // A reply longer than this many bytes goes out as split datagrams, none
  // longer than this. Real servers split at about 1,200.
  std::size_t splitBytes = 1200;
};

// The most slots --max gives an a2s server: more than 255 are told as Rust
// servers tell them, the count bytes wrapped and the counts in the keywords.
inline constexpr int kMaxA2sSlots = 1000;

// The smallest and largest --split: every reply must fit in 255 parts, and a
// part in one UDP datagram.
inline constexpr std::size_t kMinSplitBytes = 64;
inline constexpr std::size_t kMaxSplitBytes = 65507;
