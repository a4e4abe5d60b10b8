#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "config/AppSettings.h"
#include "config/IniFile.h"
#include "games/game.h"
#include "model/address.h"
#include "protocols/builtin_games.h"
#include "tests/support/ScratchProgramFolder.h"

namespace {

constexpr int32_t kUT = 0;
constexpr int32_t kQ3 = 3;

// Icon files named "good*" load as image 100 + load count; others fail.
class FakeIcons : public IGameIcons {
public:
  int32_t AddIconFile(const std::string& path) override {
    ++loads;
    return path.find("/good") != std::string::npos ? 100 + loads : -1;
  }
  int32_t loads = 0;
};

class AddressTest : public ::testing::Test {
protected:
  void SetUp() override { games.LoadGames(BuiltinGames(), THostInfo{}); }
  TAddress Make(const std::string& host, int32_t port, int32_t gameId) {
    return TAddress(games, host, port, gameId);
  }
  ScratchProgramFolder folder;
  TGameList games;
  FakeIcons icons;
};

TEST_F(AddressTest, ConstructorCopiesTheCurrentGameEntryAndMakesAQueryBuilder) {
  TGame& q3 = games.Items(kQ3);
  q3.IconFile = "q3.ico";
  q3.IconIndex = 50;
  q3.Sound = "q3.wav";
  q3.Executable = "ioquake3";
  q3.PluginFile = "q3.so"; // belongs to the registry entry alone

  const TAddress address = Make("10.0.0.1", 0, kQ3);
  EXPECT_EQ(address.Host, "10.0.0.1");
  EXPECT_EQ(address.Port, 27960);
  EXPECT_EQ(address.Id, kQ3);
  EXPECT_EQ(address.Defs.Key, "q3");
  EXPECT_EQ(address.IconFile, "q3.ico");
  EXPECT_EQ(address.IconIndex, 50);
  EXPECT_EQ(address.Sound, "q3.wav");
  EXPECT_EQ(address.Executable, "ioquake3");
  EXPECT_EQ(address.PluginFile, "");
  EXPECT_TRUE(address.Enabled);
  EXPECT_EQ(address.Description, "");
  EXPECT_EQ(address.QueryContext, 0);
  ASSERT_TRUE(address.Query);
  EXPECT_EQ(address.Query->lpVtbl->GetPacketCount(address.Query.get()), 1);
  EXPECT_EQ(&address.RegistryGame(), &q3);
  EXPECT_EQ(&address.Registry(), &games);

  EXPECT_EQ(Make("10.0.0.1", 27961, kQ3).Port, 27961);
  EXPECT_THROW(Make("10.0.0.1", 0, 99), std::out_of_range);
}

// A long address list once held every game text again for each address.
TEST_F(AddressTest, AddressesHoldTheirGamesTextsOnceAndKeepThemWhenTheGameChanges) {
  TGame& q3 = games.Items(kQ3);
  q3.Executable = "/usr/local/games/quake3/ioquake3.x86_64";
  const TAddress first = Make("10.0.0.1", 0, kQ3);
  const TAddress second = Make("10.0.0.2", 0, kQ3);
  for (const TAddress* address : {&first, &second}) {
    EXPECT_EQ(address->Executable.c_str(), q3.Executable.c_str());
    EXPECT_EQ(address->Defs.Title.c_str(), q3.Defs.Title.c_str());
    EXPECT_EQ(address->Defs.DefaultParameters.c_str(), q3.Defs.DefaultParameters.c_str());
  }

  q3.Executable = "quake3";
  EXPECT_EQ(first.Executable, "/usr/local/games/quake3/ioquake3.x86_64");
  EXPECT_EQ(TAddress(first).Executable, "/usr/local/games/quake3/ioquake3.x86_64");
}

TEST_F(AddressTest, TextFormsLeaveOutTheDefaultPort) {
  struct Case {
    int32_t gameId;
    int32_t port; // applied after construction
    std::string description;
    std::string hostPort, iniKey, displayName;
  };
  const std::vector<Case> cases = {
      {kUT, 7777, "", "10.0.0.5", "10.0.0.5,ut", "10.0.0.5"},
      {kUT, 0, "", "10.0.0.5", "10.0.0.5,ut", "10.0.0.5"},
      {kUT, 7778, "", "10.0.0.5:7778", "10.0.0.5:7778,ut", "10.0.0.5:7778"},
      {kQ3, 7777, "", "10.0.0.5:7777", "10.0.0.5:7777,q3", "10.0.0.5:7777"},
      {kQ3, 27960, "LAN party", "10.0.0.5", "10.0.0.5,q3", "LAN party"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.iniKey);
    TAddress address = Make("10.0.0.5", 0, c.gameId);
    address.Port = c.port;
    address.Description = c.description;
    EXPECT_EQ(address.HostPort(), c.hostPort);
    EXPECT_EQ(address.IniKey(), c.iniKey);
    EXPECT_EQ(address.DisplayName(), c.displayName);
  }
}

TEST_F(AddressTest, CopyAndAssignTakeEverythingAndShareTheQueryBuilder) {
  TAddress source = Make("10.0.0.1", 7778, kUT);
  source.Enabled = false;
  source.Description = "Mine";
  source.Sound = "own.wav";
  source.IconIndex = 42;
  source.QueryContext = 9;

  const TAddress copy(source);
  TAddress assigned = Make("10.0.0.2", 0, kQ3);
  assigned.Assign(source);
  for (const TAddress* target : std::vector<const TAddress*>{&copy, &assigned}) {
    EXPECT_EQ(target->Host, "10.0.0.1");
    EXPECT_EQ(target->Port, 7778);
    EXPECT_EQ(target->Id, kUT);
    EXPECT_EQ(target->Defs.Key, "ut");
    EXPECT_FALSE(target->Enabled);
    EXPECT_EQ(target->Description, "Mine");
    EXPECT_EQ(target->Sound, "own.wav");
    EXPECT_EQ(target->IconIndex, 42);
    EXPECT_EQ(target->QueryContext, 9);
    EXPECT_EQ(target->Query.get(), source.Query.get());
    EXPECT_EQ(&target->Registry(), &games);
  }
}

TEST_F(AddressTest, StoredValueKeepsOnlyFilesThatDifferFromTheGamesCurrentOnes) {
  TGame& ut = games.Items(kUT);
  ut.IconFile = "ut.ico";
  ut.Sound = "ut.wav";
  ut.Log = "ut.log";

  TAddress address = Make("10.0.0.1", 0, kUT); // copies the game's files
  address.Description = "My server";
  EXPECT_EQ(address.StoredValue(), "1,\"My server\",,,");

  address.Enabled = false;
  address.IconFile = "mine.ico";
  address.Log = "my log.txt";
  EXPECT_EQ(address.StoredValue(), "0,\"My server\",mine.ico,,\"my log.txt\"");

  // The game's settings changed since: the copied sound is now an override.
  ut.Sound = "new.wav";
  EXPECT_EQ(address.StoredValue(), "0,\"My server\",mine.ico,ut.wav,\"my log.txt\"");

  TAddress reloaded = Make("10.0.0.1", 0, kUT);
  ASSERT_TRUE(reloaded.LoadFromStoredText(address.StoredValue(), nullptr));
  EXPECT_FALSE(reloaded.Enabled);
  EXPECT_EQ(reloaded.Description, "My server");
  EXPECT_EQ(reloaded.IconFile, "mine.ico");
  EXPECT_EQ(reloaded.Sound, "ut.wav");
  EXPECT_EQ(reloaded.Log, "my log.txt");
}

TEST_F(AddressTest, LoadFromStoredTextSetsEveryFieldAndClearsMissingOnes) {
  struct Case {
    std::string text;
    bool enabled;
    std::string description, iconFile, sound, log;
  };
  // Each starts disabled with every field set.
  const std::vector<Case> cases = {
      {"0,\"My server\"", false, "My server", "", "", ""},
      {"1", true, "", "", "", ""},
      {"", false, "", "", "", ""}, // no item 0: the flag stays
      {"2", false, "", "", "", ""},
      {"1,\"%s%n%x\",a.ico,\"my sound.wav\",log.txt", true, "%s%n%x", "a.ico", "my sound.wav",
       "log.txt"},
      {"1,,,,", true, "", "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TAddress address = Make("10.0.0.1", 0, kUT);
    address.Enabled = false;
    address.Description = "old";
    address.IconFile = "old.ico";
    address.Sound = "old.wav";
    address.Log = "old.log";
    EXPECT_TRUE(address.LoadFromStoredText(c.text, nullptr));
    EXPECT_EQ(address.Enabled, c.enabled);
    EXPECT_EQ(address.Description, c.description);
    EXPECT_EQ(address.IconFile, c.iconFile);
    EXPECT_EQ(address.Sound, c.sound);
    EXPECT_EQ(address.Log, c.log);
  }
}

TEST_F(AddressTest, LoadFromStoredTextRecomputesTheIconIndex) {
  TAddress address = Make("10.0.0.1", 0, kUT);
  address.LoadFromStoredText("1,,good.ico", &icons);
  EXPECT_EQ(address.IconIndex, 101);
  address.LoadFromStoredText("1,,bad.ico", &icons);
  EXPECT_EQ(address.IconIndex, address.DefaultIconIndex);
  address.LoadFromStoredText("1,,good.ico", &icons);
  address.LoadFromStoredText("1", &icons);
  EXPECT_EQ(address.IconIndex, address.DefaultIconIndex);
  EXPECT_EQ(address.DefaultIconIndex, 1);
}

TEST_F(AddressTest, EffectiveFilesFallBackToTheGameNowThenToTheSettings) {
  AppSettings.OnlineSound = "online.wav";
  struct Case {
    std::string own, game, sound, log;
  };
  const std::vector<Case> cases = {
      {"own", "game", "own", "own"},
      {"", "game", "game", "game"},
      {"", "", "online.wav", "stats.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.own + "/" + c.game);
    TAddress address = Make("10.0.0.1", 0, kUT);
    // Set after construction: the registry entry counts as it is now.
    games.Items(kUT).Sound = games.Items(kUT).Log = c.game;
    address.Sound = address.Log = c.own;
    EXPECT_EQ(address.EffectiveSound(), c.sound);
    EXPECT_EQ(address.EffectiveLog(), c.log);
  }
}

TEST_F(AddressTest, EffectiveIconIndexIsOwnOnlyWithOwnIconFile) {
  TAddress address = Make("10.0.0.1", 0, kUT);
  address.IconIndex = 42;
  games.Items(kUT).IconIndex = 7;
  EXPECT_EQ(address.EffectiveIconIndex(), 7);
  address.IconFile = "mine.ico";
  EXPECT_EQ(address.EffectiveIconIndex(), 42);
}

TEST_F(AddressTest, ParseAddressKey) {
  struct Case {
    std::string key;
    std::optional<std::string> host; // nothing: the key is skipped
    int32_t port = 0;
    int32_t gameId = 0;
  };
  const std::vector<Case> cases = {
      {"10.0.0.5,ut", "10.0.0.5", 7777, kUT},
      {"10.0.0.5:7777,ut", "10.0.0.5", 7777, kUT},
      {"10.0.0.5:7778,UT", "10.0.0.5", 7778, kUT},
      {"10.0.0.5:27961,q3", "10.0.0.5", 27961, kQ3},
      {"10.0.0.5:x,q3", "10.0.0.5", 27960, kQ3},
      {"10.0.0.5:,q3", "10.0.0.5", 27960, kQ3},
      {"10.0.0.5:0,css", "10.0.0.5", 27015, 6},
      {"localhost:7778,u4", "127.0.0.1", 7778, 1},
      {"1.2.3.4.,ut", "1.2.3.4.", 7777, kUT},
      {"10.0.0.5:7778,ut,0", std::nullopt}, // game key "ut,0"
      {"10.0.0.5,zz", std::nullopt},
      {"10.0.0.5", std::nullopt},
      {"10.0.0.5,", std::nullopt},
      {",ut", std::nullopt},
      {":7778,ut", std::nullopt},
      {"nosuch.invalid,ut", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    const auto parsed = ParseAddressKey(c.key, games);
    ASSERT_EQ(parsed.has_value(), c.host.has_value());
    if (!parsed)
      continue;
    EXPECT_EQ(parsed->Host, *c.host);
    EXPECT_EQ(parsed->Port, c.port);
    EXPECT_EQ(parsed->GameId, c.gameId);
  }
}

TEST_F(AddressTest, StoredEntriesTakeEachAddressOnceWithTheValueOfItsCanonicalKey) {
  const struct {
    std::string lines;
    std::vector<std::string> entries; // "host port game value"
  } cases[] = {
      {"127.0.0.1:27960,q3=written\n", {"127.0.0.1 27960 3 written"}},
      // The canonical key counts wherever it stands, in any letter case,
      // even without a value.
      {"localhost:27960,q3=written\n127.0.0.1,q3=canonical\n", {"127.0.0.1 27960 3 canonical"}},
      {"127.0.0.1,q3=canonical\nlocalhost,q3=written\n", {"127.0.0.1 27960 3 canonical"}},
      {"127.0.0.1:27960,q3=written\n127.0.0.1,Q3=canonical\n", {"127.0.0.1 27960 3 canonical"}},
      {"127.0.0.1:27960,q3=written\n127.0.0.1,q3\n", {"127.0.0.1 27960 3 "}},
      {"10.0.0.5:7778,ut=written\n10.0.0.5:7778,UT=again\n", {"10.0.0.5 7778 0 written"}},
      // Otherwise the first spelling counts; other ports and games are others.
      {"localhost,q3=first\n127.0.0.1:27960,q3=second\n127.0.0.1:27961,q3=port\n"
       "127.0.0.1,cs=game\n127.0.0.1,zz=unknown\nnosuch.invalid,q3=unresolved\n",
       {"127.0.0.1 27960 3 first", "127.0.0.1 27961 3 port", "127.0.0.1 27015 4 game"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lines);
    folder.write("skarvel.ini", "[Address]\n" + c.lines);
    const TIniFile ini(folder.file("skarvel.ini"));
    std::vector<std::string> entries;
    for (const TStoredEntry& entry : ReadStoredEntries(ini, "Address", games))
      entries.push_back(entry.Host + " " + std::to_string(entry.Port) + " " +
                        std::to_string(entry.Id) + " " + std::string(entry.Value));
    EXPECT_EQ(entries, c.entries);
  }
}

TEST_F(AddressTest, LegacyLines) {
  struct Case {
    std::string line;
    std::optional<std::string> host; // nothing: the line is rejected
    int32_t port = 0;
    int32_t gameId = 0;
    bool enabled = true;
  };
  const std::vector<Case> cases = {
      {"10.0.0.9:7778=ut,0", "10.0.0.9", 7778, kUT, false},
      {"10.0.0.9=ut", "10.0.0.9", 7777, kUT, true},
      {"10.0.0.9=Q3,1", "10.0.0.9", 27960, kQ3, true},
      {"10.0.0.9=ut,1x", "10.0.0.9", 7777, kUT, true},
      {"10.0.0.9=ut,07", "10.0.0.9", 7777, kUT, false},
      {"10.0.0.9:x=q3", "10.0.0.9", 27960, kQ3, true},
      {"localhost:27016=cs", "127.0.0.1", 27016, 4, true},
      {"10.0.0.9=ut,x", std::nullopt},
      {"10.0.0.9=ut,", std::nullopt},
      {"10.0.0.9=ut, 1", std::nullopt},
      {"10.0.0.9=zz", std::nullopt},
      {"10.0.0.9=", std::nullopt},
      {"=ut", std::nullopt},
      {"10.0.0.9", std::nullopt},
      {"", std::nullopt},
      {"   ", std::nullopt},
      {"nosuch.invalid=ut", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("\"" + c.line + "\"");
    const auto parsed = ParseLegacyLine(c.line, games);
    ASSERT_EQ(parsed.has_value(), c.host.has_value());
    if (!parsed)
      continue;
    EXPECT_EQ(parsed->Key.Host, *c.host);
    EXPECT_EQ(parsed->Key.Port, c.port);
    EXPECT_EQ(parsed->Key.GameId, c.gameId);
    EXPECT_EQ(parsed->Enabled, c.enabled);
  }
}

TEST_F(AddressTest, LegacyLineNeedsTwoCharactersAfterTheEqualsSign) {
  // A plug-in type with a one-letter key: found, yet the bare line is too short.
  auto single = std::make_unique<TGame>();
  single->Defs.Key = "u";
  single->Defs.Port = 1234;
  const int32_t id = games.Append(std::move(single)).Id;

  EXPECT_FALSE(ParseLegacyLine("10.0.0.9=u", games));
  const auto withFlag = ParseLegacyLine("10.0.0.9=u,0", games);
  ASSERT_TRUE(withFlag);
  EXPECT_EQ(withFlag->Key.GameId, id);
  EXPECT_EQ(withFlag->Key.Port, 1234);
  EXPECT_FALSE(withFlag->Enabled);
  EXPECT_TRUE(ParseAddressKey("10.0.0.9,u", games));
}

} // namespace
