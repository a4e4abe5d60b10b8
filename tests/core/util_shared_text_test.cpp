#include "util/shared_text.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

// Addresses carry copies of their game's texts: changing the game's must not
// change theirs, nor the other way round.
TEST(SharedTextTest, ACopyKeepsItsTextWhenTheOtherChanges) {
  TSharedText game = std::string("ioquake3");
  const TSharedText address = game;
  game = "quake3-smp";
  EXPECT_EQ(address, "ioquake3");
  EXPECT_EQ(game, "quake3-smp");

  TSharedText other = address;
  other.clear();
  EXPECT_TRUE(other.empty());
  EXPECT_EQ(address, "ioquake3");
}

TEST(SharedTextTest, CopiesHoldTheCharactersOnce) {
  const TSharedText title = std::string(100, 'T');
  const std::vector<TSharedText> copies(3, title);
  for (const TSharedText& copy : copies)
    EXPECT_EQ(copy.c_str(), title.c_str());
}

TEST(SharedTextTest, ReadsAsAStdString) {
  const TSharedText key = "q3";
  const TSharedText none;
  EXPECT_EQ("[" + key + "]", "[q3]");
  EXPECT_EQ(key + std::string(",1"), "q3,1");
  EXPECT_EQ(std::string(key), "q3");
  EXPECT_EQ(key.size(), 2u);
  EXPECT_EQ(none, "");
  EXPECT_EQ(none.str(), std::string());
  EXPECT_TRUE(key == std::string("q3"));
  EXPECT_FALSE(key == none);
}

// Copies made and dropped on several threads free the text once, after the
// last of them (the sanitized build reports a double or early free).
TEST(SharedTextTest, CopiesOnSeveralThreadsFreeTheTextOnce) {
  const TSharedText text = std::string(64, 'x');
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([text] {
      for (int i = 0; i < 10000; ++i) {
        const TSharedText copy = text;
        ASSERT_EQ(copy.size(), 64u);
      }
    });
  for (std::thread& thread : threads)
    thread.join();
  EXPECT_EQ(text, std::string(64, 'x'));
}

} // namespace
