#include "config/TextArena.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

constexpr std::size_t kBlockSize = 64 * 1024;

} // namespace

std::string_view TTextArena::Adopt(std::string text) {
  adopted_.push_back(std::make_unique<std::string>(std::move(text)));
  return *adopted_.back();
}

std::string_view TTextArena::Join(std::initializer_list<std::string_view> parts) {
  std::size_t size = 0;
  for (std::string_view part : parts)
    size += part.size();
  if (size > freeSize_) {
    const std::size_t blockSize = std::max(size, kBlockSize);
    blocks_.push_back(std::make_unique<char[]>(blockSize));
    free_ = blocks_.back().get();
    freeSize_ = blockSize;
  }
  char* start = free_;
  for (std::string_view part : parts) {
    if (!part.empty())
      std::memcpy(free_, part.data(), part.size());
    free_ += part.size();
  }
  freeSize_ -= size;
  return std::string_view(start, size);
}
