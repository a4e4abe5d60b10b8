#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <string>

#include "model/EndpointIndex.h"

namespace {

// What the index reads of an address or a server.
struct Entry {
  std::string Host;
  int32_t Port = 0;
  int32_t Id = 0;
};

std::string HostNumber(int n) {
  return "10.0." + std::to_string(n / 250) + "." + std::to_string(n % 250 + 1);
}

TEST(EndpointIndexTest, EntriesAreToldApartByHostPortAndGame) {
  std::deque<Entry> entries{{"10.0.0.5", 27960, 3}, {"10.0.0.5", 27960, 4}, {"10.0.0.5", 27961, 3}};
  TEndpointIndex<Entry> index;
  EXPECT_EQ(index.Find("10.0.0.5", 27960, 3), nullptr);
  for (Entry& entry : entries)
    index.Insert(entry);
  struct Case {
    const char* host;
    int32_t port;
    int32_t id;
    const Entry* expected;
  };
  const Case cases[] = {
      {"10.0.0.5", 27960, 3, &entries[0]}, {"10.0.0.5", 27960, 4, &entries[1]},
      {"10.0.0.5", 27961, 3, &entries[2]}, {"10.0.0.50", 27960, 3, nullptr},
      {"10.0.0.5", 27962, 3, nullptr},     {"10.0.0.5", 27960, 0, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.host) + ":" + std::to_string(c.port) + "/" + std::to_string(c.id));
    EXPECT_EQ(index.Find(c.host, c.port, c.id), c.expected);
  }
}

TEST(EndpointIndexTest, AnEntryIsComparedAsItIsNow) {
  std::deque<Entry> entries{{"10.0.0.5", 7778, 0}};
  TEndpointIndex<Entry> index;
  index.Insert(entries[0]);
  entries[0].Port = 7777;
  EXPECT_EQ(index.Find("10.0.0.5", 7778, 0), nullptr);
  EXPECT_EQ(index.Find("10.0.0.5", 7777, 0), nullptr); // filed under the old port
  index.Insert(entries[0]);
  EXPECT_EQ(index.Find("10.0.0.5", 7777, 0), &entries[0]);
  index.Erase(entries[0]); // both of its slots
  EXPECT_EQ(index.Find("10.0.0.5", 7777, 0), nullptr);
  entries[0].Port = 7778;
  EXPECT_EQ(index.Find("10.0.0.5", 7778, 0), nullptr);
}

TEST(EndpointIndexTest, ManyEntriesSurviveGrowthAndErasure) {
  // Enough to grow the table many times and to make long runs of probes,
  // which an erasure must not cut.
  constexpr int kCount = 2000;
  std::deque<Entry> entries;
  TEndpointIndex<Entry> index;
  for (int i = 0; i < kCount; ++i) {
    entries.push_back({HostNumber(i), 27960 + i % 3, i % 7});
    index.Insert(entries.back());
  }
  for (int i = 0; i < kCount; i += 2)
    index.Erase(entries[static_cast<std::size_t>(i)]);
  for (int i = 0; i < kCount; ++i) {
    const Entry& entry = entries[static_cast<std::size_t>(i)];
    EXPECT_EQ(index.Find(entry.Host, entry.Port, entry.Id), i % 2 == 0 ? nullptr : &entry) << i;
  }
  index.Clear();
  EXPECT_EQ(index.Find(entries[1].Host, entries[1].Port, entries[1].Id), nullptr);
  index.Reserve(10);
  index.Insert(entries[1]);
  EXPECT_EQ(index.Find(entries[1].Host, entries[1].Port, entries[1].Id), &entries[1]);
}

} // namespace
