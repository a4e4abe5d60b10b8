#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "config/IniFile.h"
#include "config/SettingsFile.h"
#include "games/game.h"
#include "model/address.h"
#include "protocols/builtin_games.h"
#include "tests/support/ScratchProgramFolder.h"

namespace {

constexpr int32_t kUT = 0;
constexpr int32_t kQ3 = 3;
constexpr int32_t kCSP = 5;
constexpr int32_t kCSS = 6;

const std::vector<std::string> kDefaultList = {"192.168.1.255 7777 ut on"};

class FakeIcons : public IGameIcons {
public:
  int32_t AddIconFile(const std::string& path) override {
    return path.find("/good") != std::string::npos ? 100 : -1;
  }
};

// "host port key on|off [description]" for every entry, in order.
std::vector<std::string> Summary(const TAddressList& list) {
  std::vector<std::string> lines;
  for (int32_t i = 0; i < list.Count(); ++i) {
    const TAddress& a = list.Items(i);
    std::string line =
        a.Host + " " + std::to_string(a.Port) + " " + a.Defs.Key + (a.Enabled ? " on" : " off");
    if (!a.Description.empty())
      line += " " + a.Description;
    lines.push_back(line);
  }
  return lines;
}

class AddressListTest : public ::testing::Test {
protected:
  void SetUp() override { games.LoadGames(BuiltinGames(), THostInfo{}); }

  // Loads the way start-up does: inside its settings bracket.
  void Load(const std::string& ini, bool migrate = false) {
    folder.write("skarvel.ini", ini);
    WithIni([&] { list.LoadFromIni(games, &icons, migrate); });
  }
  std::unique_ptr<TAddress> Make(const std::string& host, int32_t port, int32_t gameId) {
    return std::make_unique<TAddress>(games, host, port, gameId);
  }
  TIniFile Saved() const { return TIniFile(folder.file("skarvel.ini")); }

  ScratchProgramFolder folder;
  TGameList games;
  FakeIcons icons;
  TAddressList list;
};

TEST_F(AddressListTest, KeysSpelledOtherwiseKeepTheirValueAndAreSavedCanonically) {
  const struct {
    std::string line, entry, savedKey;
  } cases[] = {
      {"127.0.0.1:27960,q3=0,\"My server\"", "127.0.0.1 27960 q3 off My server", "127.0.0.1,q3"},
      {"localhost,q3=0,\"My server\"", "127.0.0.1 27960 q3 off My server", "127.0.0.1,q3"},
      {"LocalHost:27960,Q3=0,\"My server\"", "127.0.0.1 27960 q3 off My server", "127.0.0.1,q3"},
      {"10.0.0.5:7777,ut=0,\"My server\"", "10.0.0.5 7777 ut off My server", "10.0.0.5,ut"},
      {"localhost:7778,ut=0,\"My server\"", "127.0.0.1 7778 ut off My server", "127.0.0.1:7778,ut"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    Load("[Address]\n" + c.line + "\n");
    EXPECT_EQ(Summary(list), std::vector<std::string>{c.entry});

    list.SaveToIni();
    const TIniFile saved = Saved();
    EXPECT_EQ(saved.ReadSection("Address"), std::vector<std::string>{c.savedKey});
    EXPECT_EQ(saved.ReadRawString("Address", c.savedKey, "?"), "0,\"My server\",,,");
  }
}

TEST_F(AddressListTest, ALineWithoutEqualsIsAnEnabledAddressWithDefaults) {
  const struct {
    std::string lines;
    std::vector<std::string> entries;
  } cases[] = {
      {"127.0.0.1,q3\n", {"127.0.0.1 27960 q3 on"}},
      {"  127.0.0.1:27961,Q3  \n", {"127.0.0.1 27961 q3 on"}},
      {"localhost:27960,q3\n10.0.0.1,ut=0\n", {"127.0.0.1 27960 q3 on", "10.0.0.1 7777 ut off"}},
      // The first spelling of an address counts, as it does with values.
      {"127.0.0.1,q3\n127.0.0.1,q3=0,Later\n", {"127.0.0.1 27960 q3 on"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines);
    Load("[Address]\n" + c.lines);
    EXPECT_EQ(Summary(list), c.entries);
  }
}

TEST_F(AddressListTest, ALineWithoutEqualsIsWrittenBackWithItsValueOnce) {
  Load("[Address]\n127.0.0.1,q3\n[Network]\nInterval=1000\n");
  list.SaveToIni();
  EXPECT_EQ(folder.read("skarvel.ini"),
            "[Network]\nInterval=1000\n[Address]\n127.0.0.1,q3=1,,,,\n");
}

TEST_F(AddressListTest, ValuesSetFlagDescriptionAndOverrides) {
  games.Items(kUT).Sound = "ut.wav"; // copied into every UT address, then overridden
  Load("[Address]\n"
       "10.0.0.1,ut=0,\"My server\"\n"
       "10.0.0.2,ut=1\n"
       "10.0.0.3,ut=\"1\",\"two words\"\n"
       "10.0.0.4,ut=0,\"%s%n%x\",good.ico,,log.txt\n");
  ASSERT_EQ(Summary(list), (std::vector<std::string>{
                               "10.0.0.1 7777 ut off My server", "10.0.0.2 7777 ut on",
                               "10.0.0.3 7777 ut on two words", "10.0.0.4 7777 ut off %s%n%x"}));
  EXPECT_EQ(list.Items(1).Sound, "");
  EXPECT_EQ(list.Items(1).IconIndex, list.Items(1).DefaultIconIndex);
  EXPECT_EQ(list.Items(3).IconFile, "good.ico");
  EXPECT_EQ(list.Items(3).IconIndex, 100);
  EXPECT_EQ(list.Items(3).Sound, "");
  EXPECT_EQ(list.Items(3).Log, "log.txt");
}

TEST_F(AddressListTest, KeysNamingTheSameAddressGiveOneEntry) {
  Load("[Address]\n"
       "10.0.0.5,ut=0\n"
       "10.0.0.5:7777,ut=1\n"
       "10.0.0.5:7778,ut=1\n"
       "localhost,q3=1\n"
       "127.0.0.1,q3=0\n");
  EXPECT_EQ(Summary(list), (std::vector<std::string>{"10.0.0.5 7777 ut off", "10.0.0.5 7778 ut on",
                                                     "127.0.0.1 27960 q3 off"}));
}

TEST_F(AddressListTest, UnknownGamesAndUnresolvableHostsAreSkipped) {
  Load("[Address]\n"
       "10.0.0.1,zz=1\n"
       "nosuch.invalid,ut=1\n"
       "10.0.0.2=1\n"
       "10.0.0.3,q2=0\n");
  EXPECT_EQ(Summary(list), (std::vector<std::string>{"10.0.0.3 27910 q2 off"}));
}

TEST_F(AddressListTest, TheDefaultBroadcastEntryReplacesAnEmptyResult) {
  const std::vector<std::string> files = {
      "",
      "[Address]\n",
      "[Address]\nnosuch.invalid,ut=1\n10.0.0.1,zz=1\n",
      "[Address]\nnot an address\n10.0.0.1\n",
      "[Addresses]\n",
      "[Addresses]\n\n10.0.0.1=zz\n10.0.0.2\n",
      // Only a header line with nothing else on it opens the older section.
      "[Addresses] ;old\n10.0.0.9=q3\n",
  };
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    Load(file);
    EXPECT_EQ(Summary(list), kDefaultList);
  }
}

TEST_F(AddressListTest, OlderLayoutIsReadFromTheFileTextLineByLine) {
  // Repeated hosts are separate entries there, which the INI reader would merge.
  const std::string file = "[Common]\r\n"
                           "Language=English.lng\r\n"
                           "[addresses]\r\n"
                           "10.0.0.9:7778=ut,0\r\n"
                           "10.0.0.9:7778=ut\r\n"
                           "10.0.0.8=ut,x\r\n"
                           "\r\n"
                           "   \r\n"
                           "10.0.0.9=q3\r\n"
                           "10.0.0.9=ut,1\r\n"
                           "localhost=u4\r\n"
                           "[Address]\r\n"
                           "10.0.0.1,ut=1\r\n"
                           "10.0.0.7=cs\r\n";
  Load(file);
  EXPECT_EQ(Summary(list),
            (std::vector<std::string>{"10.0.0.9 7778 ut off", "10.0.0.9 27960 q3 on",
                                      "10.0.0.9 7777 ut on", "127.0.0.1 7777 u4 on"}));
  EXPECT_EQ(folder.read("skarvel.ini"), file); // not rewritten before the next save

  list.SaveToIni();
  const TIniFile saved = Saved();
  EXPECT_FALSE(saved.SectionExists("Addresses"));
  EXPECT_EQ(
      saved.ReadSection("Address"),
      (std::vector<std::string>{"10.0.0.9:7778,ut", "10.0.0.9,q3", "10.0.0.9,ut", "127.0.0.1,u4"}));
  EXPECT_EQ(saved.ReadRawString("Address", "10.0.0.9:7778,ut", "?"), "0,,,,");
}

TEST_F(AddressListTest, MigrationLowersUnrealPortsOnceAndSavesInTheCallersBracket) {
  const std::string file = "[Address]\n"
                           "10.0.0.1:7778,ut=0,\"Was high\"\n"
                           "10.0.0.2,ut=1\n"
                           "10.0.0.3:7777,ut=1\n"
                           "10.0.0.4:7778,u4=1\n"
                           "10.0.0.5:27961,q3=1\n";
  const std::vector<std::string> corrected = {"10.0.0.1 7777 ut off Was high",
                                              "10.0.0.2 7777 ut on", "10.0.0.3 7777 ut on",
                                              "10.0.0.4 7777 u4 on", "10.0.0.5 27961 q3 on"};
  Load(file, false);
  EXPECT_EQ(list.Items(0).Port, 7778);
  EXPECT_EQ(folder.read("skarvel.ini"), file);

  folder.write("skarvel.ini", file);
  WithIni([&] {
    list.LoadFromIni(games, &icons, true);
    Ini().WriteString("Common", "Version", "2.5.0.0"); // start-up marks the file afterwards
  });
  EXPECT_EQ(Summary(list), corrected);
  const TIniFile saved = Saved();
  EXPECT_EQ(saved.ReadString("Common", "Version", ""), "2.5.0.0");
  EXPECT_EQ(saved.ReadSection("Address"),
            (std::vector<std::string>{"10.0.0.1,ut", "10.0.0.2,ut", "10.0.0.3,ut", "10.0.0.4,u4",
                                      "10.0.0.5:27961,q3"}));

  WithIni([&] { list.LoadFromIni(games, &icons, false); });
  EXPECT_EQ(Summary(list), corrected);
}

TEST_F(AddressListTest, MigrationRewritesTheOlderLayout) {
  Load("[Addresses]\n10.0.0.1:7778=ut,0\n10.0.0.2:27961=q3\n", true);
  EXPECT_EQ(Summary(list),
            (std::vector<std::string>{"10.0.0.1 7777 ut off", "10.0.0.2 27961 q3 on"}));
  const TIniFile saved = Saved();
  EXPECT_FALSE(saved.SectionExists("Addresses"));
  EXPECT_EQ(saved.ReadSection("Address"),
            (std::vector<std::string>{"10.0.0.1,ut", "10.0.0.2:27961,q3"}));
}

TEST_F(AddressListTest, SaveReplacesBothSectionsInListOrder) {
  folder.write("skarvel.ini", "[Addresses]\n10.0.0.9=ut\n[Address]\n10.0.0.8,ut=1\n"
                              "[Common]\nVersion=1\n");
  list.Add(Make("10.0.0.2", 0, kQ3));
  list.Add(Make("10.0.0.1", 7778, kUT));
  list.Items(1).Description = "Two words";
  list.Exchange(0, 1);
  list.SaveToIni();

  const TIniFile saved = Saved();
  EXPECT_FALSE(saved.SectionExists("Addresses"));
  EXPECT_EQ(saved.ReadSection("Address"),
            (std::vector<std::string>{"10.0.0.1:7778,ut", "10.0.0.2,q3"}));
  EXPECT_EQ(saved.ReadRawString("Address", "10.0.0.1:7778,ut", "?"), "1,\"Two words\",,,");
  EXPECT_EQ(saved.ReadString("Common", "Version", ""), "1");
}

TEST_F(AddressListTest, QueryStepCountCountsEnabledAddressesOnly) {
  EXPECT_EQ(list.QueryStepCount(), 0);
  list.Add(Make("10.0.0.1", 0, kUT));
  list.Add(Make("10.0.0.2", 0, kCSP));
  list.Add(Make("10.0.0.3", 0, kCSS));
  list.Items(2).Enabled = false;
  EXPECT_EQ(list.QueryStepCount(), 1 + 3);
  list.Items(2).Query = {};
  list.Items(2).Enabled = true;
  EXPECT_EQ(list.QueryStepCount(), 4);
}

TEST_F(AddressListTest, FindAndExistsCompareHostPortAndGame) {
  list.Add(Make("10.0.0.1", 0, kUT));
  list.Add(Make("10.0.0.2", 0, kUT));
  EXPECT_EQ(list.Find("10.0.0.2", 7777, kUT), &list.Items(1));
  EXPECT_EQ(list.Find("10.0.0.2", 7778, kUT), nullptr);
  EXPECT_EQ(list.Find("10.0.0.2", 7777, 1), nullptr);

  const TAddress& first = list.Items(0);
  const TAddress same(first);
  EXPECT_TRUE(list.Exists(same, nullptr));
  EXPECT_FALSE(list.Exists(same, &first)); // editing an entry in place
  EXPECT_FALSE(list.Exists(first, &first));
  EXPECT_TRUE(list.Exists(list.Items(1), &first));
  const auto otherGame = Make("10.0.0.1", 7777, 1);
  EXPECT_FALSE(list.Exists(*otherGame, nullptr));
  const auto otherPort = Make("10.0.0.1", 7778, kUT);
  EXPECT_FALSE(list.Exists(*otherPort, nullptr));
}

TEST_F(AddressListTest, AssignCopiesEntriesInOrderSharingTheirQueryBuilders) {
  list.Add(Make("10.0.0.1", 0, kUT));
  list.Add(Make("10.0.0.2", 0, kCSP));
  list.Items(1).Description = "Second";

  TAddressList copy;
  copy.Add(Make("10.0.0.9", 0, kQ3));
  copy.Assign(list);
  ASSERT_EQ(Summary(copy), Summary(list));
  for (int32_t i = 0; i < list.Count(); ++i) {
    EXPECT_NE(&copy.Items(i), &list.Items(i));
    EXPECT_EQ(copy.Items(i).Query.get(), list.Items(i).Query.get());
  }
  copy.Items(1).Description = "Edited";
  EXPECT_EQ(list.Items(1).Description, "Second");

  copy.Delete(0);
  EXPECT_EQ(Summary(copy), (std::vector<std::string>{"10.0.0.2 27015 csp on Edited"}));
  copy.Assign(copy);
  EXPECT_EQ(copy.Count(), 1);
}

} // namespace
