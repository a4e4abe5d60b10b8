#include "util/placeholders.h"

std::string FillPlaceholders(const std::string& text, const std::vector<std::string>& values) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 1 < text.size() && text[i + 1] >= '1' && text[i + 1] <= '9') {
      const auto index = static_cast<std::size_t>(text[i + 1] - '1');
      if (index < values.size()) {
        result += values[index];
        ++i;
        continue;
      }
    }
    result += text[i];
  }
  return result;
}
