#include "util/elf_symbol.h"

#include <elf.h>
#include <link.h>

#include <cstring>
#include <fstream>
#include <vector>

namespace {

constexpr unsigned char kNativeClass = sizeof(void*) == 8 ? ELFCLASS64 : ELFCLASS32;

// Reads `size` bytes at `offset`, all of them inside the file, or nothing.
class TFileReader {
public:
  explicit TFileReader(const std::string& path) : file_(path, std::ios::binary | std::ios::ate) {
    if (file_)
      size_ = static_cast<uint64_t>(file_.tellg());
  }
  bool Read(uint64_t offset, uint64_t size, void* out) {
    if (!file_ || offset > size_ || size > size_ - offset)
      return false;
    file_.seekg(static_cast<std::streamoff>(offset));
    return static_cast<bool>(
        file_.read(static_cast<char*>(out), static_cast<std::streamsize>(size)));
  }
  template <class T> bool ReadTable(uint64_t offset, uint64_t size, std::vector<T>& out) {
    if (size > size_)
      return false;
    out.resize(static_cast<std::size_t>(size / sizeof(T)));
    return Read(offset, out.size() * sizeof(T), out.data());
  }

private:
  std::ifstream file_;
  uint64_t size_ = 0;
};

bool NameIs(const std::vector<char>& strings, ElfW(Word) offset, const std::string& name) {
  return offset < strings.size() && strings.size() - offset > name.size() &&
         std::memcmp(strings.data() + offset, name.c_str(), name.size() + 1) == 0;
}

} // namespace

std::optional<std::string> ReadExportedData(const std::string& path, const std::string& name,
                                            std::size_t maxBytes) {
  if (path.empty() || path.find('\0') != std::string::npos)
    return std::nullopt;
  TFileReader file(path);
  ElfW(Ehdr) header{};
  if (!file.Read(0, sizeof header, &header) || std::memcmp(header.e_ident, ELFMAG, SELFMAG) != 0 ||
      header.e_ident[EI_CLASS] != kNativeClass || header.e_type != ET_DYN ||
      header.e_shentsize != sizeof(ElfW(Shdr)))
    return std::nullopt;
  std::vector<ElfW(Shdr)> sections;
  if (!file.ReadTable(header.e_shoff, uint64_t{header.e_shnum} * sizeof(ElfW(Shdr)), sections))
    return std::nullopt;
  for (const ElfW(Shdr) & table : sections) {
    if (table.sh_type != SHT_DYNSYM || table.sh_link >= sections.size())
      continue;
    std::vector<ElfW(Sym)> symbols;
    std::vector<char> strings;
    const ElfW(Shdr)& names = sections[table.sh_link];
    if (!file.ReadTable(table.sh_offset, table.sh_size, symbols) ||
        !file.ReadTable(names.sh_offset, names.sh_size, strings))
      return std::nullopt;
    for (const ElfW(Sym) & symbol : symbols) {
      if (symbol.st_shndx == SHN_UNDEF || symbol.st_shndx >= sections.size() ||
          ELF64_ST_BIND(symbol.st_info) == STB_LOCAL || !NameIs(strings, symbol.st_name, name))
        continue;
      const ElfW(Shdr)& home = sections[symbol.st_shndx];
      if (symbol.st_size > maxBytes || symbol.st_value < home.sh_addr ||
          symbol.st_value - home.sh_addr > home.sh_size ||
          symbol.st_size > home.sh_size - (symbol.st_value - home.sh_addr))
        return std::nullopt;
      std::string bytes(static_cast<std::size_t>(symbol.st_size), '\0');
      if (home.sh_type != SHT_NOBITS &&
          !file.Read(home.sh_offset + (symbol.st_value - home.sh_addr), symbol.st_size,
                     bytes.data()))
        return std::nullopt;
      return bytes;
    }
  }
  return std::nullopt;
}
