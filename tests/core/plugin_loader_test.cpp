#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "config/IniFile.h"
#include "config/SettingsFile.h"
#include "games/HostInfo.h"
#include "games/PluginLoader.h"
#include "games/StatPluginList.h"
#include "games/game.h"
#include "model/StatisticsPlugins.h"
#include "model/server.h"
#include "poll/Monitor.h"
#include "protocols/builtin_games.h"
#include "tests/support/FakePollPorts.h"
#include "tests/support/ScopedTrace.h"
#include "tests/support/ScratchProgramFolder.h"
#include "util/data_folders.h"
#include "util/version.h"

namespace {

using Lines = std::vector<std::string>;

constexpr int32_t kBuiltinCount = 7;

// An image list that numbers the images it is given from 40 on.
class RecordingIcons : public IGameIcons {
public:
  int32_t AddIconFile(const std::string&) override { return -1; }
  int32_t AddIconData(const std::string& png) override {
    images.push_back(png);
    return 39 + static_cast<int32_t>(images.size());
  }
  std::vector<std::string> images;
};

// A program folder with plug-in files in it; the fixtures log their calls to
// "calls.log" there.
class PluginLoaderTest : public ::testing::Test {
protected:
  void SetUp() override {
    setenv("SKARVEL_FIXTURE_LOG", folder.file("calls.log").c_str(), 1);
    ASSERT_TRUE(EnsureIniFile());
    // As the monitor's start-up sets it.
    ProgramHostInfo().HostVersion = ProgramVersion();
    ProgramHostInfo().Interval = 0;
  }
  void TearDown() override { unsetenv("SKARVEL_FIXTURE_LOG"); }

  static std::string Fixture(const std::string& name) {
    return std::string(LOADER_FIXTURES) + "/" + name + ".so";
  }
  void Copy(const std::string& from, const std::string& name) {
    std::filesystem::copy_file(from, folder.file(name));
  }
  void AddFixtures(const std::vector<std::string>& names) {
    for (const std::string& name : names)
      Copy(Fixture(name), name + ".so");
  }

  // The registry filled as at start-up, with the plug-ins of the folder.
  void Load() { LoadInto(games); }
  void LoadInto(TGameList& registry) {
    const TPluginLoader loader(ProgramHostInfo(), stats, &icons,
                               [this](const std::string& message) { messages.push_back(message); });
    registry.LoadGames(BuiltinGames(), ProgramHostInfo(),
                       [&](TGameList& list) { loader.LoadFolder(list, folder.path().string()); });
  }

  Lines Calls() const {
    Lines lines;
    std::istringstream in(folder.read("calls.log"));
    for (std::string line; std::getline(in, line);)
      lines.push_back(line);
    return lines;
  }
  bool Called(const std::string& line) const {
    const Lines calls = Calls();
    return std::find(calls.begin(), calls.end(), line) != calls.end();
  }
  // The fixtures whose Init ran, in that order.
  Lines Inits() const {
    Lines names;
    for (const std::string& line : Calls())
      if (line.find(" Init ") != std::string::npos)
        names.push_back(line.substr(0, line.find(' ')));
    return names;
  }

  ScratchProgramFolder folder;
  RecordingIcons icons;
  TGameList games;
  TStatPluginList stats;
  Lines messages;
};

TEST_F(PluginLoaderTest, GameAndStatisticsPluginsLoadBesideFilesThatAreNone) {
  AddFixtures({"fx_game", "fx_stats", "no_init"});
  Copy(A2S_PLUGIN, "a2s.so");
#ifdef HISTORY_PLUGIN
  Copy(HISTORY_PLUGIN, "history.so");
#endif
  folder.write("empty.so", "");
  folder.write("text.so", "not a library\n");
  folder.write("readme.txt", "");
  Load();

  EXPECT_TRUE(messages.empty());
  ASSERT_EQ(games.Count(), kBuiltinCount + 2);
  for (int32_t id = kBuiltinCount; id < games.Count(); ++id)
    EXPECT_EQ(games.Items(id).Id, id);
  const TGame* fx = games.FindByKey("fx");
  ASSERT_NE(fx, nullptr);
  EXPECT_EQ(fx->PluginFile, "fx_game.so");
  EXPECT_EQ(fx->PluginVersion, 0x01020300u);
  EXPECT_EQ(fx->Defs.Title, "Fixture Game");
  EXPECT_EQ(fx->Defs.Port, 27500);
  EXPECT_EQ(fx->LaunchId, 4); // it shares the Counter-Strike launch settings
  EXPECT_NE(fx->CreateQuery, nullptr);
  EXPECT_NE(fx->CreateServer, nullptr);
  EXPECT_NE(fx->Detach, nullptr);
  const TGame* a2s = games.FindByKey("a2s");
  ASSERT_NE(a2s, nullptr);
  EXPECT_EQ(a2s->PluginFile, "a2s.so");

  // Both bring an image: the fixture's 68-byte PNG is taken whole.
  ASSERT_EQ(icons.images.size(), 2u);
  for (const TGame* game : {fx, a2s}) {
    EXPECT_EQ(game->IconIndex, game->DefaultIconIndex);
    const std::string& png = icons.images.at(static_cast<std::size_t>(game->IconIndex - 40));
    EXPECT_EQ(png.substr(0, 4), "\x89PNG");
    EXPECT_EQ(png.substr(png.size() - 8, 4), "IEND");
  }
  EXPECT_EQ(icons.images.at(static_cast<std::size_t>(fx->IconIndex - 40)).size(), 68u);

  Lines statNames;
  for (int32_t i = 0; i < stats.Count(); ++i)
    statNames.push_back(stats.Items(i).FileName);
#ifdef HISTORY_PLUGIN
  EXPECT_EQ(stats.Count(), 2);
  EXPECT_NE(std::find(statNames.begin(), statNames.end(), "history.so"), statNames.end());
#endif
  EXPECT_NE(std::find(statNames.begin(), statNames.end(), "fx_stats.so"), statNames.end());
}

TEST_F(PluginLoaderTest, TheFirstPluginTypeGetsTheIdAfterTheBuiltinTypes) {
  AddFixtures({"fy_game"});
  Load();
  ASSERT_EQ(games.Count(), kBuiltinCount + 1);
  EXPECT_EQ(games.FindByKey("fy")->Id, 7);
  EXPECT_EQ(games.FindByKey("fy")->LaunchId, 7);
  EXPECT_EQ(games.FindByKey("fy")->IconIndex, 0);      // no image of its own
  EXPECT_EQ(games.FindByKey("fy")->PluginVersion, 0u); // no version
}

struct RefusedCase {
  const char* fixture;
  const char* message; // "" when none is shown
  bool initRuns;
};

// Each alone beside the program: nothing registers, nothing is detached, and
// only a failed Init tells the user.
TEST_F(PluginLoaderTest, RefusedPluginsAreSkipped) {
  const RefusedCase cases[] = {
      {"no_init", "", false},
      {"major_128", "", false},
      {"init_fails", "Plugin loading error: init_fails.so\r\nno licence\nfile", true},
      {"init_fails_quietly", "Plugin loading error: init_fails_quietly.so", true},
      {"init_gives_nothing", "Plugin loading error: init_gives_nothing.so", true},
      {"too_old", "", true},
      {"too_new", "", true},
      {"both_kinds", "", true},
      {"half_game", "", true},
      {"no_game_info", "", true},
      {"q3_again", "", true},
  };
  for (const RefusedCase& c : cases) {
    SCOPED_TRACE(c.fixture);
    std::filesystem::remove(folder.file("calls.log"));
    ScratchProgramFolder own;
    std::filesystem::copy_file(Fixture(c.fixture), own.file(std::string(c.fixture) + ".so"));
    Lines shown;
    {
      TGameList list;
      TStatPluginList statList;
      const TPluginLoader loader(ProgramHostInfo(), statList, &icons,
                                 [&](const std::string& message) { shown.push_back(message); });
      list.LoadGames(BuiltinGames(), ProgramHostInfo(),
                     [&](TGameList& g) { loader.LoadFolder(g, own.path().string()); });
      EXPECT_EQ(list.Count(), kBuiltinCount);
      EXPECT_EQ(statList.Count(), 0);
      EXPECT_EQ(list.FindByKey("q3")->PluginFile, "");
    }
    EXPECT_EQ(shown, std::string(c.message).empty() ? Lines{} : Lines{c.message});
    EXPECT_EQ(Calls(), c.initRuns ? Lines{std::string(c.fixture) + " Init interval=0"} : Lines{});
  }
}

// A library of another machine, a cut-off one and one that is no library at
// all are skipped; the plug-in beside them loads.
TEST_F(PluginLoaderTest, BrokenLibrariesAreSkipped) {
  std::ifstream in(Fixture("fy_game"), std::ios::binary);
  const std::string library{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ASSERT_GT(library.size(), 64u);
  std::string otherMachine = library;
  otherMachine[18] = 0x28; // e_machine: ARM
  otherMachine[19] = 0;
  std::string thirtyTwoBit = library;
  thirtyTwoBit[4] = 1; // EI_CLASS: ELFCLASS32
  folder.write("arm.so", otherMachine);
  folder.write("elf32.so", thirtyTwoBit);
  folder.write("cut.so", library.substr(0, library.size() / 2));
  folder.write("header.so", library.substr(0, 64));
  AddFixtures({"fx_stats"});
  Load();
  EXPECT_EQ(games.Count(), kBuiltinCount);
  EXPECT_EQ(stats.Count(), 1);
  EXPECT_TRUE(messages.empty());
  EXPECT_EQ(Inits(), Lines{"fx_stats"});
}

TEST_F(PluginLoaderTest, TheFirstPluginOfAKeyWins) {
  AddFixtures({"fx_game", "fx_again"});
  Load();
  const Lines inits = Inits();
  ASSERT_EQ(inits.size(), 2u);
  ASSERT_EQ(games.Count(), kBuiltinCount + 1);
  EXPECT_EQ(games.Items(kBuiltinCount).PluginFile, inits.front() + ".so");
}

// A user's copy in the program folder hides the installed plug-in of the same
// file name; the installed plug-ins of other names load after the user's.
TEST_F(PluginLoaderTest, TheProgramFolderCopyOfAPluginHidesTheInstalledOne) {
  TempDir installed;
  SetInstalledFolder(TDataKind::Plugin, installed.path().string());
  AddFixtures({"fx_game"});
  std::filesystem::copy_file(Fixture("fy_game"), installed.file("fx_game.so"));
  std::filesystem::copy_file(Fixture("fx_stats"), installed.file("fx_stats.so"));
  folder.write("skarvel.ini", "[Common]\nVersion=2.5\n[Network]\nInterval=0\nCheckUpdates=0\n");
  FakePollPorts ports;
  PollEvents events;
  {
    TMonitor monitor(events.Roles(), ports);
    monitor.Start(TStartupOptions{});
    EXPECT_EQ(monitor.Games.Count(), kBuiltinCount + 1);
    EXPECT_EQ(monitor.StatPlugins.Count(), 1);
    EXPECT_EQ(Inits(), (Lines{"fx_game", "fx_stats"}));
  }
  SetInstalledFolder(TDataKind::Plugin, "");
}

// Texts a plug-in leaves out are empty; texts of any length are taken up to
// a limit.
TEST_F(PluginLoaderTest, MissingAndLongTextsAreBounded) {
  AddFixtures({"null_texts", "long_texts"});
  Load();
  ASSERT_EQ(games.Count(), kBuiltinCount + 2);
  const TDefs& missing = games.FindByKey("nul")->Defs;
  for (const TSharedText* text : {&missing.Title, &missing.ShortName, &missing.Caption,
                                  &missing.DefaultExecutable, &missing.DefaultParameters})
    EXPECT_EQ(*text, "");
  const TDefs& longer = games.FindByKey("long")->Defs;
  EXPECT_EQ(longer.Title, std::string(TGame::kInfoTextLimit, 'L'));
  EXPECT_EQ(longer.DefaultParameters.size(), TGame::kInfoTextLimit);
}

// The version is read from the file, so a plug-in's constructors run once:
// at the load that keeps it.
TEST_F(PluginLoaderTest, EachPluginIsLoadedOnceAndTracedWithItsVersionAndKind) {
  AddFixtures({"counts_loads", "fx_stats"});
  FileVersion version;
  ASSERT_TRUE(ReadFileVersion(Fixture("counts_loads"), version));
  EXPECT_EQ(version.major, 3);
  EXPECT_EQ(version.release, 4);
  EXPECT_EQ(Calls(), Lines{});

  const ScopedTrace trace;
  Load();
  Lines counted;
  for (const std::string& line : Calls())
    if (line.starts_with("counts_loads "))
      counted.push_back(line);
  EXPECT_EQ(counted, (Lines{"counts_loads Loaded", "counts_loads Init interval=0"}));
  // Each named before its code runs.
  const std::string text = trace.Text();
  const std::size_t loading =
      text.find(" loading plug-in " + folder.file("counts_loads.so") + "\n");
  EXPECT_NE(loading, std::string::npos) << text;
  EXPECT_GT(text.find(" plug-in counts_loads.so 3.1.4 loaded: game cnt\n"), loading) << text;
  EXPECT_NE(text.find(" plug-in counts_loads.so 3.1.4 loaded: game cnt\n"), std::string::npos)
      << text;
  EXPECT_NE(text.find(" plug-in fx_stats.so (no version) loaded: statistics\n"), std::string::npos)
      << text;
}

// The crash takes a child process down, as it would the program; the next
// start names the plug-in and skips it, until the file is replaced.
TEST_F(PluginLoaderTest, APluginThatCrashedWhileLoadingIsSkippedUntilItChanges) {
  AddFixtures({"crash_in_init", "fx_game"});
  const auto crashed = [](int status) { return WIFSIGNALED(status); };
  EXPECT_EXIT(Load(), crashed, "");
  EXPECT_TRUE(Called("crash_in_init Init interval=0"));

  const std::string shown = "Plugin loading error: crash_in_init.so\r\ncrash_in_init.so crashed "
                            "while loading; skipped until it changes";
  for (int start = 0; start < 2; ++start) {
    SCOPED_TRACE(start);
    std::filesystem::remove(folder.file("calls.log"));
    messages.clear();
    TGameList registry;
    const ScopedTrace trace;
    LoadInto(registry);
    EXPECT_EQ(messages, Lines{shown});
    EXPECT_EQ(Inits(), Lines{"fx_game"});
    EXPECT_NE(registry.FindByKey("fx"), nullptr);
    EXPECT_NE(trace.Text().find(" plug-in crash_in_init.so crashed while loading; skipped until it "
                                "changes\n"),
              std::string::npos);
  }

  // A new build of it is tried again.
  std::ofstream(folder.file("crash_in_init.so"), std::ios::app) << '\0';
  std::filesystem::remove(folder.file("calls.log"));
  EXPECT_EXIT(Load(), crashed, "");
  EXPECT_TRUE(Called("crash_in_init Init interval=0"));
}

// The console blocks the stop signals to read them in its loop, which never
// runs while a plug-in's Init does not return.
TEST_F(PluginLoaderTest, AStopSignalEndsAPluginLoadThatNeverReturns) {
  AddFixtures({"block_in_init"});
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigprocmask(SIG_BLOCK, &set, nullptr);
    Load();
    _exit(0);
  }
  // Waits for the child's Init; bounded only so a broken build cannot hang.
  for (int i = 0; i < 3000 && Inits().empty(); ++i)
    usleep(10000);
  EXPECT_EQ(Inits(), Lines{"block_in_init"});
  kill(child, SIGTERM);
  int status = 0;
  pid_t ended = 0;
  for (int i = 0; i < 3000 && ended == 0; ++i) {
    ended = waitpid(child, &status, WNOHANG);
    if (ended == 0)
      usleep(10000);
  }
  if (ended == 0) {
    kill(child, SIGKILL);
    waitpid(child, &status, 0);
    FAIL() << "SIGTERM did not end the load";
  }
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << status;
  // A stop is no crash: the plug-in is tried again at the next start.
  EXPECT_FALSE(folder.exists("plugin-loading"));
  EXPECT_FALSE(folder.exists("plugin-crashes"));
}

// The third number and the major are taken modulo 256.
TEST_F(PluginLoaderTest, FileVersionsArePacked) {
  AddFixtures({"major_256"});
  Load();
  ASSERT_NE(games.FindByKey("wrap"), nullptr);
  EXPECT_EQ(games.FindByKey("wrap")->PluginVersion, 0x00010200u);
}

TEST_F(PluginLoaderTest, ServerStateGetsTheCommittedState) {
  AddFixtures({"fx_stats"});
  Load();
  ASSERT_EQ(stats.Count(), 1);
  struct Forward : RecordingServerEvents {
    const TStatPluginList* plugins = nullptr;
    void NotifyStatistics(const TServer& server) override { NotifyStatPlugins(*plugins, server); }
  } events;
  events.plugins = &stats;
  auto server = TServer::CreateFromStore(games, events.Roles(), "10.0.0.5", 27961, 3, 45000.25);

  auto pass = [&](const std::string& players) {
    std::filesystem::remove(folder.file("calls.log"));
    server->AnsweredInPass = false;
    server->ApplyReply(0,
                       "\xFF\xFF\xFF\xFFstatusResponse\n\\sv_hostname\\Arena\\mapname\\q3dm17"
                       "\\fraglimit\\20\\sv_maxclients\\16\n" +
                           players,
                       45000.25);
    server->CommitPass(45000.25);
    return Calls();
  };
  const std::string head = "fx_stats ServerState game=q3 address=10.0.0.5:27961 ";
  EXPECT_EQ(pass(""),
            Lines{head + "title=10.0.0.5:27961 info=5:Arena|q3dm17|20|0|16 players=0:<NUL> "
                         "frags=nil"});
  server->Description = "Arena Box";
  EXPECT_EQ(pass("7 50 \"Bob\"\n-2 40 \"Al\"\n"),
            Lines{head + "title=Arena Box info=5:Arena|q3dm17|20|2|16 players=2:Bob|Al "
                         "frags=7,-2"});
}

// A ServerState that took 5 s is left out for a while, not called again for
// every server of every cycle; the clock is read around each call.
TEST_F(PluginLoaderTest, ASlowStatisticsPluginIsLeftOutForAWhile) {
  AddFixtures({"fx_stats"});
  Load();
  ASSERT_EQ(stats.Count(), 1);
  std::vector<double> readings = {100, 105, 110, 164, 166, 166.5, 167, 167};
  std::size_t read = 0;
  stats.SetClock([&] { return readings.at(read++); });
  const ScopedTrace trace;
  const TGameInfo game{27960, 0, "q3", "Quake III Arena", "Q3", "&Quake 3", "quake3", "", "q3"};
  const TServerStateInfo state{&game, "10.0.0.5", "Arena"};
  Lines called;
  for (int call = 0; call < 5; ++call) {
    std::filesystem::remove(folder.file("calls.log"));
    stats.ServerState(state, std::string(SKARVEL_INFO_COUNT, '\0'), std::string(1, '\0'), {});
    called.push_back(Calls().empty() ? "left out" : "called");
  }
  // Taken 5 s at 100: left out until 165.
  EXPECT_EQ(called, (Lines{"called", "left out", "left out", "called", "called"}));
  EXPECT_EQ(read, readings.size());
  EXPECT_NE(trace.Text().find(" plug-in fx_stats.so took 5.000000 s in ServerState; left out for "
                              "60 s\n"),
            std::string::npos)
      << trace.Text();
}

TEST_F(PluginLoaderTest, SettingsCallbacksWorkInTheirOwnBracket) {
  const THostInfo& host = ProgramHostInfo();
  folder.write("skarvel.ini", "[Fx]\nName=\"Zed\"\nEmpty=\nCount=0x10\n");

  struct ReadCase {
    const char* ident;
    const char* fallback;
    std::string value;
  };
  const ReadCase reads[] = {
      {"Missing", "abc", "abc"}, {"Name", "abc", "Zed"}, {"Empty", "abc", ""}, {"Missing", "", ""}};
  for (const ReadCase& c : reads) {
    SCOPED_TRACE(c.ident);
    HLOCAL block = host.ReadString("Fx", c.ident, c.fallback);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(LocalSize(block), c.value.size()); // no NUL
    EXPECT_EQ(std::string(static_cast<const char*>(LocalLock(block)), LocalSize(block)), c.value);
    LocalUnlock(block);
    LocalFree(block);
  }
  EXPECT_EQ(host.ReadInteger("Fx", "Count", 5), 16);
  EXPECT_EQ(host.ReadInteger("Fx", "Name", 5), 5);
  EXPECT_EQ(IniOpenCount(), 0);

  // Each write reaches the disk at once...
  host.WriteString("Fx", "Said", "hello");
  host.WriteInteger("Fx", "Times", -3);
  EXPECT_EQ(TIniFile(IniPath()).ReadString("Fx", "Said", ""), "hello");
  EXPECT_EQ(TIniFile(IniPath()).ReadInteger("Fx", "Times", 0), -3);
  // ...unless the host has the file open around the call.
  OpenIni();
  host.WriteString("Fx", "Later", "1");
  EXPECT_EQ(TIniFile(IniPath()).ReadString("Fx", "Later", ""), "");
  CloseIni();
  EXPECT_EQ(TIniFile(IniPath()).ReadString("Fx", "Later", ""), "1");
}

// Through the monitor's own start-up and shutdown: the interval plug-ins see,
// the message of a failed Init, and the order plug-ins are detached in.
TEST_F(PluginLoaderTest, TheMonitorLoadsAndDetachesInOrder) {
  AddFixtures({"fx_stats", "fy_stats", "fx_game", "fy_game", "init_fails_quietly"});
  folder.write("skarvel.ini", "[Common]\nVersion=2.5\n[Network]\nInterval=2500\nCheckUpdates=0\n");
  FakePollPorts ports;
  PollEvents events;
  Lines shown;
  TStartupOptions options;
  options.PluginFailed = [&](const std::string& message) { shown.push_back(message); };
  auto monitor = std::make_unique<TMonitor>(events.Roles(), ports);
  monitor->Start(options);

  EXPECT_EQ(shown, Lines{"Plugin loading error: init_fails_quietly.so"});
  EXPECT_EQ(monitor->Games.Count(), kBuiltinCount + 2);
  EXPECT_EQ(monitor->StatPlugins.Count(), 2);
  for (const std::string& line : Calls())
    EXPECT_NE(line.find("Init interval=2500"), std::string::npos) << line;
  EXPECT_EQ(ProgramHostInfo().Interval, 2500);
  AppSettings.Interval = 4000;
  monitor->ApplySettings();
  EXPECT_EQ(ProgramHostInfo().Interval, 4000);

  const Lines inits = Inits();
  Lines statInits, gameInits;
  for (const std::string& name : inits)
    if (name.ends_with("_stats"))
      statInits.push_back(name);
    else if (name.ends_with("_game"))
      gameInits.push_back(name);
  ASSERT_EQ(statInits.size(), 2u);
  ASSERT_EQ(gameInits.size(), 2u);

  std::filesystem::remove(folder.file("calls.log"));
  monitor.reset();
  // Statistics plug-ins the last loaded first, then the game plug-ins in
  // registry order.
  EXPECT_EQ(Calls(), (Lines{statInits[1] + " Detach", statInits[0] + " Detach",
                            gameInits[0] + " Detach", gameInits[1] + " Detach"}));
}

} // namespace
