#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// The hash under which TEndpointIndex files an entry.
std::size_t EndpointHash(std::string_view host, int32_t port, int32_t gameId);

// Finds an entry (an address or a server) by its host, port and game in
// constant time. A slot holds the entry's hash beside a pointer to it, so a
// look-up reads an entry only where the hashes agree and growing reads none:
// with many thousand entries, filing a new one stays within this table.
// Entries are compared as they are at the look-up: one whose port changed
// since it was inserted is no longer found under the old key and may be
// inserted again under the new one.
template <class Entry> class TEndpointIndex {
public:
  void Clear() {
    slots_.clear();
    count_ = 0;
  }
  // Room for `entries` entries without growing.
  void Reserve(std::size_t entries) {
    const std::size_t wanted = std::bit_ceil(std::max<std::size_t>(16, entries * 2));
    if (wanted > slots_.size())
      Rehash(wanted);
  }

  Entry* Find(std::string_view host, int32_t port, int32_t gameId) const {
    if (slots_.empty())
      return nullptr;
    const std::size_t hash = EndpointHash(host, port, gameId);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask; slots_[i].entry; i = (i + 1) & mask) {
      Entry* entry = slots_[i].entry;
      if (slots_[i].hash == hash && entry->Host == host && entry->Port == port &&
          entry->Id == gameId)
        return entry;
    }
    return nullptr;
  }

  // Files the entry under its host, port and game as they are now.
  void Insert(Entry& entry) {
    if ((count_ + 1) * 2 > slots_.size())
      Rehash(std::max<std::size_t>(16, slots_.size() * 2));
    Place({EndpointHash(entry.Host, entry.Port, entry.Id), &entry});
    ++count_;
  }

  // Every slot of the entry goes; the others are placed again, so no chain
  // of probes is broken.
  void Erase(const Entry& entry) {
    std::vector<Slot> old(slots_.size());
    old.swap(slots_);
    count_ = 0;
    for (const Slot& slot : old)
      if (slot.entry && slot.entry != &entry) {
        Place(slot);
        ++count_;
      }
  }

private:
  struct Slot {
    std::size_t hash = 0;
    Entry* entry = nullptr; // none: the slot is free
  };

  void Place(const Slot& slot) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = slot.hash & mask;
    while (slots_[i].entry)
      i = (i + 1) & mask;
    slots_[i] = slot;
  }

  void Rehash(std::size_t slotCount) {
    std::vector<Slot> old(slotCount);
    old.swap(slots_);
    for (const Slot& slot : old)
      if (slot.entry)
        Place(slot);
  }

  std::vector<Slot> slots_; // a power of two of them, at most half used, or none
  std::size_t count_ = 0;
};
