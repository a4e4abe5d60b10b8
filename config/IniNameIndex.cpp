#include "config/IniNameIndex.h"

#include <bit>

void TIniNameIndex::Reserve(std::size_t names) {
  const std::size_t wanted = std::bit_ceil(std::max<std::size_t>(16, names * 2));
  if (wanted <= slots_.size())
    return;
  // Positions are placed again by their names, which only the caller knows:
  // an index that already holds some is grown by Insert instead.
  if (count_ == 0)
    slots_.assign(wanted, kEmpty);
}

std::size_t TIniNameIndex::Hash(std::string_view name) {
  // FNV-1a over the upper-case letters, then mixed so the low bits that pick
  // the slot depend on every byte.
  uint64_t hash = 14695981039346656037ULL;
  for (char c : name) {
    const unsigned char byte = static_cast<unsigned char>(c);
    hash ^= byte >= 'a' && byte <= 'z' ? byte - ('a' - 'A') : byte;
    hash *= 1099511628211ULL;
  }
  hash ^= hash >> 29;
  hash *= 0xbf58476d1ce4e5b9ULL;
  hash ^= hash >> 32;
  return static_cast<std::size_t>(hash);
}

void TIniNameIndex::Place(std::string_view name, uint32_t position) {
  const std::size_t mask = slots_.size() - 1;
  std::size_t i = Hash(name) & mask;
  while (slots_[i] != kEmpty)
    i = (i + 1) & mask;
  slots_[i] = position;
}
