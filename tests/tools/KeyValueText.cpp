#include "KeyValueText.h"

KeyValues ParseKeyValues(const std::string& text) {
  std::vector<std::string> tokens;
  std::size_t start = text.empty() || text[0] != '\\' ? 0 : 1;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find('\\', start), text.size());
    tokens.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  if (!text.empty() && text.back() == '\\' && tokens.size() % 2 == 1)
    tokens.emplace_back(); // "\final\": a key whose value is empty
  KeyValues pairs;
  for (std::size_t i = 0; i < tokens.size(); i += 2)
    pairs.emplace_back(tokens[i], i + 1 < tokens.size() ? tokens[i + 1] : "");
  return pairs;
}

std::string ValueOf(const KeyValues& pairs, const std::string& key) {
  for (const auto& [name, value] : pairs)
    if (name == key)
      return value;
  return "<missing>";
}
