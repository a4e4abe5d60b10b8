#include "app/PlayerOrder.h"

#include <cstdint>

#include "util/text.h"

int lvPlayersCompare(const std::string& fragsA, const std::string& fragsB) {
  int64_t a = 0;
  int64_t b = 0;
  const auto read = [](const std::string& text, int64_t& value) {
    if (text.empty())
      return true;
    const auto number = TryTextToInt(text);
    if (number)
      value = *number;
    return number.has_value();
  };
  if (read(fragsA, a))
    read(fragsB, b);
  return b > a ? 1 : (b < a ? -1 : 0);
}
