#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "config/IniFile.h"
#include "config/SettingsFile.h"
#include "games/game.h"
#include "protocols/Factories.h"
#include "protocols/builtin_games.h"
#include "protocols/server_q2.h"
#include "tests/support/ScratchProgramFolder.h"

namespace {

constexpr TGameInfo kAlpha = {1000,     1,       "ALPHA", "Alpha Game", "A",
                              "&Alpha", "alpha", "%1",    "Alpha"};
constexpr TGameInfo kBeta = {
    2000, 0, "beta", "Beta Game", "B", "&Beta", "C:\\Games\\beta.exe", "-connect %1", "beta"};
// Shares Alpha's launch settings, as a plug-in type may.
constexpr TGameInfo kGamma = {3000, 0, "gamma", "Gamma Game", "G", "&Gamma", "gamma", "", "ALPHA"};

int32_t SKARVEL_STDCALL RefusingInit(const THostInfo*, TPluginInfo**) {
  return 0;
}

const std::vector<TGameList::TBuiltin> kTypes = {
    {&InitGame<kAlpha>, &CreateQueryOf<TQueryQ2>, &CreateServerOf<TServerQ2>, 1},
    {&InitGame<kBeta>, &CreateQueryOf<TQueryQ2>, &CreateServerOf<TServerQ2>, 2},
    {&RefusingInit, nullptr, nullptr, 9},
    {&InitGame<kGamma>, &CreateQueryOf<TQueryQ2>, &CreateServerOf<TServerQ2>, 3},
};

// Icon files named "good*" load as the next image; others fail.
class FakeIcons : public IGameIcons {
public:
  int32_t AddIconFile(const std::string& path) override {
    loaded.push_back(path);
    return path.find("/good") != std::string::npos ? 100 + static_cast<int32_t>(loaded.size()) : -1;
  }
  std::vector<std::string> loaded;
};

class GameRegistryTest : public ::testing::Test {
protected:
  void SetUp() override { games.LoadGames(kTypes, THostInfo{}); }
  void LoadFrom(const std::string& ini) {
    folder.write("skarvel.ini", ini);
    games.LoadSettings(&icons);
  }
  ScratchProgramFolder folder;
  FakeIcons icons;
  TGameList games;
};

TEST_F(GameRegistryTest, RegistersInOrderWithLowerCaseKeysAndLaunchIds) {
  ASSERT_EQ(games.Count(), 3); // the refusing type is left out
  EXPECT_EQ(games.Items(0).Defs.Key, "alpha");
  EXPECT_EQ(games.Items(0).Defs.Tag, "alpha");
  EXPECT_EQ(games.Items(0).Defs.Title, "Alpha Game");
  EXPECT_EQ(games.Items(0).Info, &kAlpha);
  EXPECT_EQ(games.Items(0).Defs.QueryPortOffset, 1);
  for (int32_t id = 0; id < 3; ++id)
    EXPECT_EQ(games.Items(id).Id, id);
  EXPECT_EQ(games.Items(1).LaunchId, 1);
  EXPECT_EQ(games.Items(2).LaunchId, 0); // tag "alpha"
  EXPECT_EQ(games.Items(2).IconIndex, 3);
  EXPECT_EQ(games.Items(2).DefaultIconIndex, 3);
  EXPECT_EQ(games.Items(1).CreateQuery, &CreateQueryOf<TQueryQ2>);
}

TEST_F(GameRegistryTest, FindsByKeyWithoutRegardToCaseAndById) {
  EXPECT_EQ(games.FindByKey("BETA"), &games.Items(1));
  EXPECT_EQ(games.FindByKey("Alpha"), &games.Items(0));
  EXPECT_EQ(games.FindByKey("delta"), nullptr);
  EXPECT_EQ(games.FindByKey(""), nullptr);
  EXPECT_EQ(games.FindById(2), &games.Items(2));
  EXPECT_EQ(games.FindById(7), nullptr);
}

TEST_F(GameRegistryTest, EmptySettingsGiveTheDefaults) {
  LoadFrom("\n");
  EXPECT_EQ(games.Items(1).Executable, "C:\\Games\\beta.exe");
  EXPECT_EQ(games.Items(1).Parameters, "-connect %1");
  EXPECT_TRUE(games.Items(1).IconFile.empty());
  EXPECT_TRUE(icons.loaded.empty());
}

TEST_F(GameRegistryTest, LinesWithoutEqualsGiveTheDefaultsAndAreWrittenOnce) {
  games.Items(1).Sound = "before.wav";
  LoadFrom("[Game]\nbeta\n[GameCfg]\nbeta\n");
  EXPECT_EQ(games.Items(1).Executable, "C:\\Games\\beta.exe");
  EXPECT_EQ(games.Items(1).Parameters, "-connect %1");
  EXPECT_TRUE(games.Items(1).Sound.empty());

  games.SaveSettings();
  const TIniFile ini(folder.file("skarvel.ini"));
  EXPECT_EQ(ini.ReadSection("Game"), (std::vector<std::string>{"alpha", "beta"}));
  EXPECT_EQ(ini.ReadRawString("Game", "beta", ""), "C:\\Games\\beta.exe -connect %1");
  EXPECT_EQ(ini.ReadRawString("GameCfg", "beta", "?"), ",,");
}

TEST_F(GameRegistryTest, GameValueReadingRules) {
  struct Case {
    const char* value;
    const char* executable;
    const char* parameters;
  } cases[] = {
      {"\"/opt/my games/beta\" -connect %1", "/opt/my games/beta", "-connect %1"},
      {"\"/opt/my games/beta\" x", "/opt/my games/beta", "x"},
      {"\"/opt/my games/beta\"", "/opt/my games/beta", "before"},  // parameters stay
      {"\"/opt/my games/beta\"y", "/opt/my games/beta", "before"}, // one character: stays
      {"beta +set name \"Bob\"", "beta", "+set name \"Bob\""},
      {"beta", "beta", "before"},
      {"\"/opt/unclosed -x", "exe-before", "before"}, // nothing changes
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    TGame& beta = games.Items(1);
    beta.Executable = "exe-before";
    beta.Parameters = "before";
    LoadFrom(std::string("[Game]\nbeta=") + c.value + "\n");
    EXPECT_EQ(beta.Executable, c.executable);
    EXPECT_EQ(beta.Parameters, c.parameters);
  }
}

TEST_F(GameRegistryTest, UnclosedQuoteSkipsTheFilesToo) {
  games.Items(1).Sound = "kept.wav";
  LoadFrom("[Game]\nbeta=\"/opt/x\n[GameCfg]\nbeta=good.ico,new.wav,new.log\n");
  EXPECT_EQ(games.Items(1).Sound, "kept.wav");
  EXPECT_TRUE(icons.loaded.empty());
}

TEST_F(GameRegistryTest, GameCfgItemsAndIcons) {
  LoadFrom("[GameCfg]\nalpha=good.ico\nbeta=\"my log dir/bad.ico\",ding.wav,\"beta events.log\"\n");
  const TGame& alpha = games.Items(0);
  EXPECT_EQ(alpha.IconFile, "good.ico");
  EXPECT_EQ(alpha.IconIndex, 101);
  EXPECT_TRUE(alpha.Sound.empty()); // only an icon: sound and log are cleared
  EXPECT_TRUE(alpha.Log.empty());
  const TGame& beta = games.Items(1);
  EXPECT_EQ(beta.IconFile, "my log dir/bad.ico");
  EXPECT_EQ(beta.IconIndex, beta.DefaultIconIndex); // did not load
  EXPECT_EQ(beta.Sound, "ding.wav");
  EXPECT_EQ(beta.Log, "beta events.log");
  ASSERT_EQ(icons.loaded.size(), 2u);
  EXPECT_EQ(icons.loaded[0], folder.file("good.ico"));
  EXPECT_EQ(icons.loaded[1], "my log dir/bad.ico"); // a path stays as it is
}

TEST_F(GameRegistryTest, SaveWritesOwnLaunchEntriesAndReadsBackTheSame) {
  TGame& alpha = games.Items(0);
  alpha.Executable = "/opt/my games/alpha";
  alpha.Parameters = "x";
  alpha.IconFile = "good icon.ico";
  alpha.Log = "a \"quoted\" log.txt";
  TGame& beta = games.Items(1);
  beta.Executable = "/usr/games/beta";
  beta.Parameters = "";
  folder.write("skarvel.ini", "[Game]\nstale=1\n[Other]\nkeep=1\n");
  games.SaveSettings();

  const TIniFile ini(folder.file("skarvel.ini"));
  EXPECT_EQ(ini.ReadSection("Game"), (std::vector<std::string>{"alpha", "beta"}));
  EXPECT_EQ(ini.ReadRawString("Game", "alpha", ""), "\"/opt/my games/alpha\" x");
  EXPECT_EQ(ini.ReadRawString("Game", "beta", ""), "/usr/games/beta");
  EXPECT_EQ(ini.ReadRawString("GameCfg", "beta", ""), ",,");
  EXPECT_EQ(ini.ReadString("Other", "keep", ""), "1");

  TGameList reread;
  reread.LoadGames(kTypes, THostInfo{});
  reread.LoadSettings(&icons);
  EXPECT_EQ(reread.Items(0).Executable, "/opt/my games/alpha");
  EXPECT_EQ(reread.Items(0).Parameters, "x");
  EXPECT_EQ(reread.Items(0).IconFile, "good icon.ico");
  EXPECT_EQ(reread.Items(0).Log, "a \"quoted\" log.txt");
  EXPECT_EQ(reread.Items(1).Executable, "/usr/games/beta");
  EXPECT_EQ(reread.Items(1).Parameters, "");
}

std::vector<int> detachOrder;
void SKARVEL_STDCALL DetachFirst() {
  detachOrder.push_back(1);
}
void SKARVEL_STDCALL DetachSecond() {
  detachOrder.push_back(2);
}

TEST_F(GameRegistryTest, AssignCopiesAllButThePluginFields) {
  TGame& gamma = games.Items(2);
  gamma.PluginFile = "libgamma.so";
  gamma.PluginVersion = 0x01020300;
  gamma.Detach = &DetachSecond;
  games.Items(0).Detach = &DetachFirst;
  gamma.Sound = "old.wav";

  detachOrder.clear();
  {
    TGameList copy;
    copy.Assign(games);
    ASSERT_EQ(copy.Count(), 3);
    EXPECT_EQ(copy.Items(2).Defs.Key, "gamma");
    EXPECT_EQ(copy.Items(2).LaunchId, 0);
    EXPECT_EQ(copy.Items(2).Sound, "old.wav");
    EXPECT_TRUE(copy.Items(2).PluginFile.empty());
    EXPECT_EQ(copy.Items(2).PluginVersion, 0u);
    EXPECT_EQ(copy.Items(2).Detach, nullptr);

    copy.Items(2).Sound = "new.wav";
    games.Assign(copy);
  } // the copy is freed: no plug-in detaches
  EXPECT_TRUE(detachOrder.empty());
  EXPECT_EQ(gamma.Sound, "new.wav");
  EXPECT_EQ(gamma.PluginFile, "libgamma.so");
  EXPECT_EQ(gamma.PluginVersion, 0x01020300u);
  EXPECT_EQ(gamma.Detach, &DetachSecond);

  games.Clear();
  EXPECT_EQ(detachOrder, (std::vector<int>{1, 2}));
  EXPECT_EQ(games.Count(), 0);
}

} // namespace

namespace {

TEST(BuiltinGamesTest, SevenTypesInTheirOrderWithTheirRows) {
  ScratchProgramFolder folder;
  TGameList games;
  games.LoadGames(BuiltinGames(), THostInfo{});
  struct Row {
    const char* key;
    const char* title;
    const char* shortName;
    int32_t port;
    int32_t offset;
    const char* executable;
    const char* parameters;
    int32_t image;
  } rows[] = {
      {"ut", "Unreal Tournament'99", "UT", 7777, 1, "ut", "%1", 1},
      {"u4", "Unreal Tournament'2004", "UT2k4", 7777, 1, "ut2004", "%1", 5},
      {"q2", "Quake 2", "Q2", 27910, 0, "quake2", "+connect %1", 2},
      {"q3", "Quake 3", "Q3", 27960, 0, "ioquake3", "+connect %1", 3},
      {"cs", "Counter-Strike", "CS", 27015, 0, "steam", "-applaunch 10 +connect %1", 4},
      {"csp", "Counter-Strike (patch)", "CS", 27015, 0, "steam", "-applaunch 10 +connect %1", 4},
      {"css", "Counter-Strike: Source", "CS:S", 27015, 0, "steam", "-applaunch 240 +connect %1", 6},
  };
  ASSERT_EQ(games.Count(), 7);
  games.LoadSettings(nullptr);
  for (int32_t id = 0; id < 7; ++id) {
    const Row& row = rows[id];
    const TGame& game = games.Items(id);
    SCOPED_TRACE(row.key);
    EXPECT_EQ(game.Id, id);
    EXPECT_EQ(game.LaunchId, id);
    EXPECT_EQ(game.Defs.Key, row.key);
    EXPECT_EQ(game.Defs.Tag, row.key);
    EXPECT_EQ(game.Defs.Title, row.title);
    EXPECT_EQ(game.Defs.ShortName, row.shortName);
    EXPECT_EQ(game.Defs.Port, row.port);
    EXPECT_EQ(game.Defs.QueryPortOffset, row.offset);
    EXPECT_EQ(game.Executable, row.executable);
    EXPECT_EQ(game.Parameters, row.parameters);
    EXPECT_EQ(game.IconIndex, row.image);
    IGameQuery* query = nullptr;
    game.CreateQuery(&query);
    ASSERT_NE(query, nullptr);
    EXPECT_GT(query->lpVtbl->GetPacketCount(query), 0);
    query->lpVtbl->Release(query);
  }
  EXPECT_EQ(games.FindByKey("UT"), &games.Items(0));
}

// Files written on Windows keep their paths: the Linux defaults only fill in
// games that have no stored value.
TEST(BuiltinGamesTest, StoredWindowsValuesSurviveLoadAndSave) {
  ScratchProgramFolder folder;
  const std::string stored = "[Game]\n"
                             "cs=\"c:\\Program Files\\Valve\\hl.exe\" -game cstrike +connect %1\n"
                             "ut=UnrealTournament.exe %1\n"
                             "q3=quake3.exe\n";
  folder.write("skarvel.ini", stored);
  TGameList games;
  games.LoadGames(BuiltinGames(), THostInfo{});
  games.LoadSettings(nullptr);
  games.SaveSettings();

  const TIniFile ini(folder.file("skarvel.ini"));
  EXPECT_EQ(ini.ReadRawString("Game", "cs", ""),
            "\"c:\\Program Files\\Valve\\hl.exe\" -game cstrike +connect %1");
  EXPECT_EQ(ini.ReadRawString("Game", "ut", ""), "UnrealTournament.exe %1");
  EXPECT_EQ(ini.ReadRawString("Game", "q3", ""), "quake3.exe");
  // A game without a stored value gets the Linux default.
  EXPECT_EQ(ini.ReadRawString("Game", "u4", ""), "ut2004 %1");
}

} // namespace
