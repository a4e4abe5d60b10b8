#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "games/plugin.h"

extern "C" size_t PluginHeaderC99Layout(int which);
extern "C" size_t PluginHeaderC99RoundTrip(const char* text, size_t length);

namespace {

TEST(PluginHeaderTest, CAndCppSeeTheSameLayout) {
  const size_t cpp[] = {sizeof(TGameInfo),
                        offsetof(TGameInfo, Tag),
                        sizeof(THostInfo),
                        offsetof(THostInfo, WriteInteger),
                        sizeof(TPluginInfo),
                        offsetof(TPluginInfo, GameInfo),
                        sizeof(TServerStateInfo),
                        offsetof(IGameQueryVtbl, BuildPacket),
                        offsetof(IGameServerVtbl, Parse)};
  for (int i = 0; i < static_cast<int>(std::size(cpp)); ++i)
    EXPECT_EQ(PluginHeaderC99Layout(i), cpp[i]) << "entry " << i;
}

TEST(PluginHeaderTest, RecordsKeepTheirFieldOrder) {
  // Two 32-bit numbers, then the seven text pointers.
  EXPECT_EQ(offsetof(TGameInfo, QueryPortOffset), 4u);
  EXPECT_EQ(offsetof(TGameInfo, Key), 8u);
  EXPECT_EQ(offsetof(TGameInfo, Tag), 8u + 6 * sizeof(void*));
  // The interfaces' own slots follow QueryInterface, AddRef and Release.
  EXPECT_EQ(offsetof(IGameQueryVtbl, GetPacketCount), 3 * sizeof(void*));
  EXPECT_EQ(offsetof(IGameServerVtbl, Reset), 3 * sizeof(void*));
  EXPECT_EQ(offsetof(IGameServerVtbl, Parse), 4 * sizeof(void*));
}

TEST(PluginHeaderTest, LocalMemoryBlocksAreZeroedAndSized) {
  EXPECT_EQ(PluginHeaderC99RoundTrip("abc", 3), 3u);
  EXPECT_EQ(PluginHeaderC99RoundTrip("", 0), 0u);

  HLOCAL block = LocalAlloc(LHND, 5);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(LocalSize(block), 5u);
  std::memcpy(LocalLock(block), "hello", 5);
  EXPECT_EQ(std::memcmp(LocalLock(block), "hello", 5), 0);
  LocalUnlock(block);
  EXPECT_EQ(LocalFree(block), nullptr);
  EXPECT_EQ(LocalAlloc(LHND, static_cast<size_t>(-1)), nullptr);
}

} // namespace
