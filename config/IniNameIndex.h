#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "util/text.h"

// Finds the position of a name among many, without regard to ASCII letter
// case, in constant time. It stores positions only (4 bytes a slot, at most
// half the slots used); the caller's `nameAt(position)` gives the name that
// stands at a position, so no name is copied.
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
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = Hash(name) & mask;; i = (i + 1) & mask) {
      if (slots_[i] == kEmpty)
        return std::nullopt;
      if (SameTextAscii(nameAt(slots_[i]), name))
        return slots_[i];
    }
  }

  // Records `position` (at most kMaxPosition) for the name unless the name
  // is there already; true when it was not.
  template <class NameAt>
  bool Insert(std::string_view name, uint32_t position, const NameAt& nameAt) {
    if ((count_ + 1) * 2 > slots_.size())
      Rehash(std::max<std::size_t>(16, slots_.size() * 2), nameAt);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = Hash(name) & mask;; i = (i + 1) & mask) {
      if (slots_[i] == kEmpty) {
        slots_[i] = position;
        ++count_;
        return true;
      }
      if (SameTextAscii(nameAt(slots_[i]), name))
        return false;
    }
  }

private:
  static constexpr uint32_t kEmpty = UINT32_MAX;

  static std::size_t Hash(std::string_view name);
  void Place(std::string_view name, uint32_t position);

  template <class NameAt> void Rehash(std::size_t slotCount, const NameAt& nameAt) {
    std::vector<uint32_t> old(slotCount, kEmpty);
    old.swap(slots_);
    for (uint32_t position : old)
      if (position != kEmpty)
        Place(nameAt(position), position);
  }

  std::vector<uint32_t> slots_; // a power of two of them, or none
  std::size_t count_ = 0;
};
