#include <gtest/gtest.h>

#include <dlfcn.h>
#include <elf.h>
#include <link.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "tests/plugins/A2sPlugin.h"
#include "util/version.h"

namespace {

TEST(A2sExportsTest, InitRegistersTheA2sGameType) {
  const THostInfo host{0x02050000, 0, 3000, nullptr, nullptr, nullptr, nullptr};
  TPluginInfo* info = nullptr;
  ASSERT_NE(A2sPlugin::Get().Init(&host, &info), 0);
  ASSERT_NE(info, nullptr);
  // The host takes a game plug-in written for 2.5 up to its own version.
  EXPECT_EQ(info->Version, 0x02050000u);
  EXPECT_EQ(info->ErrorText, nullptr);
  ASSERT_NE(info->GameInfo, nullptr);
  const TGameInfo& game = *info->GameInfo;
  EXPECT_STREQ(game.Key, "a2s");
  EXPECT_STREQ(game.Tag, "a2s");
  EXPECT_EQ(game.Port, 27015);
  EXPECT_EQ(game.QueryPortOffset, 0);
  for (const char* text :
       {game.Title, game.ShortName, game.Caption, game.DefaultExecutable, game.DefaultParameters})
    EXPECT_TRUE(text && *text);
  EXPECT_NE(std::string(game.DefaultParameters).find("%1"), std::string::npos);
}

TEST(A2sExportsTest, FileVersionReadsAsTheHostReadsIt) {
  FileVersion version;
  ASSERT_TRUE(ReadFileVersion(A2S_PLUGIN, version));
  EXPECT_EQ(version.major, 2u);
  EXPECT_EQ(version.minor, 5u);
  EXPECT_EQ(version.release, 1u);
}

// The exported image is a whole 16x16 PNG that ends where the symbol ends.
TEST(A2sExportsTest, MainIconIsASixteenPixelPng) {
  const auto* icon = static_cast<const unsigned char*>(A2sPlugin::Get().Symbol("MAINICON"));
  ASSERT_NE(icon, nullptr);
  Dl_info where{};
  void* entry = nullptr;
  ASSERT_NE(dladdr1(icon, &where, &entry, RTLD_DL_SYMENT), 0);
  const auto* symbol = static_cast<const ElfW(Sym)*>(entry);
  ASSERT_NE(symbol, nullptr);
  const std::string png(reinterpret_cast<const char*>(icon), symbol->st_size);

  ASSERT_GE(png.size(), 33u);
  EXPECT_EQ(png.substr(0, 8), "\x89PNG\r\n\x1A\n");
  EXPECT_EQ(png.substr(12, 4), "IHDR");
  EXPECT_EQ(png.substr(16, 8), std::string("\0\0\0\x10\0\0\0\x10", 8)); // width, height
  std::size_t at = 8;
  std::string last;
  while (at + 12 <= png.size()) {
    const auto* length = reinterpret_cast<const unsigned char*>(png.data() + at);
    const std::size_t size =
        std::size_t{length[0]} << 24 | length[1] << 16 | length[2] << 8 | length[3];
    last = png.substr(at + 4, 4);
    at += 12 + size;
  }
  EXPECT_EQ(last, "IEND");
  EXPECT_EQ(at, png.size());
}

// Hidden visibility: the host finds the entry points and nothing else.
TEST(A2sExportsTest, ExportsOnlyTheEntryPoints) {
  const A2sPlugin& plugin = A2sPlugin::Get();
  for (const char* name : {"Init", "CreateQuery", "CreateServer", "FileVersion", "MAINICON"})
    EXPECT_NE(plugin.Symbol(name), nullptr) << name;
  for (const char* name : {"Detach", "ServerState", "A2sCreateServer", "A2sSplitAdd"})
    EXPECT_EQ(plugin.Symbol(name), nullptr) << name;
}

} // namespace
