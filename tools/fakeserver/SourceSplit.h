#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// FE FF FF FF, the reply's id, the number of parts, the part's number and the
// most a part carries after this header.
inline constexpr std::size_t kSourceSplitHeaderSize = 12;

// The datagrams a Source server sends a reply as: the reply itself when it
// is at most maxDatagram bytes long, otherwise parts of at most maxDatagram
// bytes each, in order. Nothing when it would take more than 255 parts (the
// header counts them in one byte) or maxDatagram leaves no room after the
// header. The id's high bit announces compression, so it is cleared.
std::vector<std::string> SplitSourceReply(const std::string& reply, std::size_t maxDatagram,
                                          uint32_t id);
