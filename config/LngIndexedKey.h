#pragma once

#include <cstddef>
#include <optional>
#include <string>

// Column and panel texts are keyed "<control>.<word>[<index>]", as in
// "lvAddr.Columns[1]".
std::string IndexedKey(const std::string& control, const std::string& word, std::size_t index);

// The index of a key read from a language file for the control, or nothing.
// The key must start with the control's name and a dot (its first dot) and
// hold a "["; the index is every decimal digit after the first "[", joined,
// and there must be one. The word between dot and bracket is not examined.
// An index too large to hold comes back as the largest value, out of any
// range.
std::optional<std::size_t> ParseIndexedKey(const std::string& key, const std::string& control);
