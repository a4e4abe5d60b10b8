#pragma once

#include <string>
#include <vector>

// The reply type letter after the out-of-band header; '-' for no reply, '+'
// for more than one or for something that is not an out-of-band reply.
inline char ReplyType(const std::vector<std::string>& datagrams) {
  if (datagrams.empty())
    return '-';
  if (datagrams.size() > 1 || datagrams[0].size() < 5 ||
      !datagrams[0].starts_with("\xFF\xFF\xFF\xFF"))
    return '+';
  return datagrams[0][4];
}
