#include "util/wildcard.h"

#include <cstddef>

namespace {

char FoldAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsContinuation(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Where the character starting at `at` ends: a byte, with any continuation
// bytes after it.
std::size_t NextCharacter(std::string_view text, std::size_t at) {
  ++at;
  while (at < text.size() && IsContinuation(text[at]))
    ++at;
  return at;
}

} // namespace

bool WildcardMatch(std::string_view pattern, std::string_view text) {
  // Greedy with one backtrack point, the last "*": linear in practice and
  // never recursive, so a long hostile pattern cannot exhaust the stack.
  std::size_t p = 0;
  std::size_t t = 0;
  std::size_t starP = std::string_view::npos;
  std::size_t starT = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starP = ++p;
      starT = t;
    } else if (p < pattern.size() && pattern[p] == '?') {
      ++p;
      t = NextCharacter(text, t);
    } else if (p < pattern.size() && FoldAscii(pattern[p]) == FoldAscii(text[t])) {
      ++p;
      ++t;
    } else if (starP != std::string_view::npos) {
      p = starP;
      starT = NextCharacter(text, starT);
      t = starT;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*')
    ++p;
  return p == pattern.size();
}
