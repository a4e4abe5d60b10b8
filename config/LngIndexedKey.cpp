#include "config/LngIndexedKey.h"

#include <limits>

std::string IndexedKey(const std::string& control, const std::string& word, std::size_t index) {
  return control + "." + word + "[" + std::to_string(index) + "]";
}

std::optional<std::size_t> ParseIndexedKey(const std::string& key, const std::string& control) {
  if (key.find('.') != control.size() || key.compare(0, control.size(), control) != 0)
    return std::nullopt;
  std::size_t bracket = key.find('[');
  if (bracket == std::string::npos)
    return std::nullopt;
  constexpr std::size_t kLargest = std::numeric_limits<std::size_t>::max();
  std::optional<std::size_t> index;
  for (std::size_t i = bracket + 1; i < key.size(); ++i) {
    if (key[i] < '0' || key[i] > '9')
      continue;
    std::size_t digit = static_cast<std::size_t>(key[i] - '0');
    std::size_t sofar = index.value_or(0);
    index = sofar > (kLargest - digit) / 10 ? kLargest : sofar * 10 + digit;
  }
  return index;
}
