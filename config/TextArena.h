#pragma once

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Text kept for the arena's life in few large blocks, so that many short
// strings cost no allocation each. Views it hands out stay valid when the
// arena moves; nothing is freed before the arena goes.
class TTextArena {
public:
  // Keeps the whole text as it is, without a copy.
  std::string_view Adopt(std::string text);
  // Keeps the parts joined into one string.
  std::string_view Join(std::initializer_list<std::string_view> parts);

private:
  std::vector<std::unique_ptr<std::string>> adopted_;
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* free_ = nullptr; // the unused end of the last block
  std::size_t freeSize_ = 0;
};
