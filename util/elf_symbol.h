#pragma once

#include <cstddef>
#include <optional>
#include <string>

// The bytes of a data symbol that a shared library of this machine's word
// size exports, read from the file's dynamic symbol table: no code of the
// library runs. None when the file is no such library, has no such symbol,
// or the symbol is larger than `maxBytes`. A symbol in a zero-filled section
// reads as zeros.
std::optional<std::string> ReadExportedData(const std::string& path, const std::string& name,
                                            std::size_t maxBytes);
