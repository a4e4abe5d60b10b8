#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "util/text.h"

// Finds the position of a name among many, without regard to ASCII letter
// case, in constant time. It stores positions and hashes only (8 bytes a slot,
// at most half the slots used); the caller's `nameAt(position)` gives the name
// that stands at a position, so no name is copied. A name is read only where
// the hashes agree: a look-up of a name that is not there, or a probe past
// other names, reads nothing but the table.
class TIniNameIndex {
public:
  static constexpr uint32_t kMaxPosition = UINT32_MAX - 1;

  void Clear() {
    slots_.clear();
    count_ = 0;
  }
  std::size_t Count() const { return count_; }
  // Room for `names` names without growing.
  void Reserve(std::size_t names);

  template <class NameAt>
  std::optional<uint32_t> Find(std::string_view name, const NameAt& nameAt) const {
    if (slots_.empty())
      return std::nullopt;
    const uint32_t hash = Hash(name);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      const Slot& slot = slots_[i];
      if (slot.position == kEmpty)
        return std::nullopt;
      if (slot.hash == hash && SameTextAscii(nameAt(slot.position), name))
        return slot.position;
    }
  }

  // Records `position` (at most kMaxPosition) for the name unless the name
  // is there already; true when it was not.
  template <class NameAt>
  bool Insert(std::string_view name, uint32_t position, const NameAt& nameAt) {
    if ((count_ + 1) * 2 > slots_.size())
      Rehash(std::max<std::size_t>(16, slots_.size() * 2));
    const uint32_t hash = Hash(name);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
      Slot& slot = slots_[i];
      if (slot.position == kEmpty) {
        slot = {hash, position};
        ++count_;
        return true;
      }
      if (slot.hash == hash && SameTextAscii(nameAt(slot.position), name))
        return false;
    }
  }

private:
  static constexpr uint32_t kEmpty = UINT32_MAX;

  struct Slot {
    uint32_t hash = 0;
    uint32_t position = kEmpty;
  };

  static uint32_t Hash(std::string_view name);
  void Rehash(std::size_t slotCount);

  std::vector<Slot> slots_; // a power of two of them, or none
  std::size_t count_ = 0;
};
