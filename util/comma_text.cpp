#include "util/comma_text.h"

namespace {

bool IsSpaceOrControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 1 && byte <= ' ';
}

bool NeedsQuotes(const std::string& item) {
  for (char c : item)
    if (static_cast<unsigned char>(c) <= ' ' || c == '"' || c == ',')
      return true;
  return false;
}

} // namespace

std::string ToCommaText(const std::vector<std::string>& items) {
  std::string text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0)
      text += ',';
    if (!NeedsQuotes(items[i])) {
      text += items[i];
      continue;
    }
    text += '"';
    for (char c : items[i]) {
      if (c == '"')
        text += '"';
      text += c;
    }
    text += '"';
  }
  return text;
}

std::vector<std::string> FromCommaText(const std::string& text) {
  std::vector<std::string> items;
  // A NUL ends the text, as it would for a C string.
  const std::size_t end = text.find('\0') == std::string::npos ? text.size() : text.find('\0');
  std::size_t at = 0;
  while (at < end && IsSpaceOrControl(text[at]))
    ++at;
  while (at < end) {
    std::string item;
    if (text[at] == '"') {
      ++at;
      while (at < end) {
        if (text[at] == '"') {
          if (at + 1 < end && text[at + 1] == '"') {
            item += '"';
            at += 2;
            continue;
          }
          ++at;
          break;
        }
        item += text[at++];
      }
    } else {
      while (at < end && !IsSpaceOrControl(text[at]) && text[at] != ',')
        item += text[at++];
    }
    items.push_back(std::move(item));
    while (at < end && IsSpaceOrControl(text[at]))
      ++at;
    if (at < end && text[at] == ',') {
      if (at + 1 == end)
        items.emplace_back();
      ++at;
      while (at < end && IsSpaceOrControl(text[at]))
        ++at;
    }
  }
  return items;
}
