#include "games/LibraryFile.h"

#include <elf.h>
#include <link.h>

#include <cstring>
#include <fstream>

namespace {

constexpr unsigned char kNativeClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;

bool Within(uint64_t offset, uint64_t size, uint64_t fileSize) {
  return offset <= fileSize && size <= fileSize - offset;
}

} // namespace

std::string LibraryFileProblem(const std::string& path) {
  std::ifstream file(path, std::ios::binary | std::ios::ate);
  if (!file)
    return "cannot be read";
  const auto fileSize = static_cast<uint64_t>(file.tellg());
  ElfW(Ehdr) header{};
  file.seekg(0);
  if (!file.read(reinterpret_cast<char*>(&header), sizeof header))
    return "not a library: too short";
  if (std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0)
    return "not a library";
  if (header.e_ident[EI_CLASS] != kNativeClass)
    return "a library of another word size";
  if (header.e_type != ET_DYN)
    return "not a shared library";
  if (header.e_phentsize != sizeof(ElfW(Phdr)) ||
      !Within(header.e_phoff, uint64_t{header.e_phnum} * sizeof(ElfW(Phdr)), fileSize))
    return "program headers past the end of the file";
  file.seekg(static_cast<std::streamoff>(header.e_phoff));
  for (unsigned i = 0; i < header.e_phnum; ++i) {
    ElfW(Phdr) segment{};
    if (!file.read(reinterpret_cast<char*>(&segment), sizeof segment))
      return "program headers cannot be read";
    if (segment.p_type != PT_NULL && !Within(segment.p_offset, segment.p_filesz, fileSize))
      return "truncated: a segment runs past the end of the file";
  }
  return {};
}
