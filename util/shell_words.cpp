#include "util/shell_words.h"

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool EscapableInDoubleQuotes(char c) {
  return c == '$' || c == '`' || c == '"' || c == '\\' || c == '\n';
}

} // namespace

std::vector<std::string> SplitShellWords(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false; // "" is a word of its own, so track words, not text
  const std::size_t size = text.size();
  for (std::size_t i = 0; i < size; ++i) {
    const char c = text[i];
    if (IsBlank(c)) {
      if (inWord)
        words.push_back(std::move(word));
      word.clear();
      inWord = false;
      continue;
    }
    inWord = true;
    if (c == '\\') {
      if (i + 1 < size)
        word += text[++i];
      else
        word += c;
    } else if (c == '\'') {
      for (++i; i < size && text[i] != '\''; ++i)
        word += text[i];
    } else if (c == '"') {
      for (++i; i < size && text[i] != '"'; ++i) {
        if (text[i] == '\\' && i + 1 < size && EscapableInDoubleQuotes(text[i + 1]))
          ++i;
        word += text[i];
      }
    } else {
      word += c;
    }
  }
  if (inWord)
    words.push_back(std::move(word));
  return words;
}
