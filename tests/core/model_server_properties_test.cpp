#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "config/AppSettings.h"
#include "config/IniFile.h"
#include "games/game.h"
#include "model/server.h"
#include "protocols/builtin_games.h"
#include "tests/support/RecordingServerEvents.h"
#include "tests/support/ScratchProgramFolder.h"

namespace {

constexpr int32_t kQ3 = 3;
constexpr int32_t kCS = 4;
constexpr int32_t kCSS = 6;

class FakeIcons : public IGameIcons {
public:
  int32_t AddIconFile(const std::string& path) override {
    return path.find("/good") != std::string::npos ? 100 : -1;
  }
};

// A server's stored properties and the launch of its game.
class ServerPropertiesTest : public ::testing::Test {
protected:
  void SetUp() override { games.LoadGames(BuiltinGames(), THostInfo{}); }
  std::unique_ptr<TServer> Make(int32_t gameId, int32_t port = 0) {
    return TServer::CreateFromStore(games, events.Roles(), "10.0.0.5", port, gameId, 1.0);
  }

  ScratchProgramFolder folder;
  TGameList games;
  RecordingServerEvents events;
};

TEST_F(ServerPropertiesTest, StoredValueWritesOnlyFilesThatDifferFromTheGame) {
  TGame& q3 = games.Items(kQ3);
  q3.IconFile = "q3.ico";
  q3.Sound = "q3.wav";
  const auto server = Make(kQ3);
  server->Description = "Clan \"A\" Arena";
  server->Sound = "own.wav";
  server->Log = "my log.txt";
  server->TrayMode = kTrayNoIcon;
  server->Popup = true;
  server->RealPlayersNumber = true;
  EXPECT_EQ(server->StoredValue(), "\"Clan \"\"A\"\" Arena\",,own.wav,\"my log.txt\",2,1,0,1");

  const auto loaded = Make(kQ3);
  ASSERT_TRUE(loaded->LoadFromStoredText(server->StoredValue(), nullptr));
  EXPECT_EQ(loaded->Description, server->Description);
  EXPECT_EQ(loaded->IconFile, "");
  EXPECT_EQ(loaded->Sound, "own.wav");
  EXPECT_EQ(loaded->Log, "my log.txt");
  EXPECT_EQ(loaded->TrayMode, kTrayNoIcon);
  EXPECT_TRUE(loaded->Popup);
  EXPECT_FALSE(loaded->PlayerTips);
  EXPECT_TRUE(loaded->RealPlayersNumber);
}

TEST_F(ServerPropertiesTest, StoredTextFillsOptionsWithTheirDefaultsAndStopsAtAConversionError) {
  struct Case {
    std::string text;
    bool ok;
    int trayMode;
    bool popup, tips, real;
  };
  // The server starts with TrayMode 2 and all options off, so untouched fields show.
  const std::vector<Case> cases = {
      {"", true, 0, true, true, true},
      {"Desk", true, 0, true, true, true},
      {"Desk,,,,1", true, 1, true, true, true},
      {"Desk,,,,2,0,1,0", true, 2, false, true, false},
      {",,,,3,1,1,1", true, 3, true, true, true},
      {",,,,0,0,0,0", true, 0, false, false, false},
      {",,,,x,1,0", true, 0, true, false, true},
      {",,,,1,yes,TRUE,1", true, 1, false, false, true},
      {",,,,,1,1,1", false, 2, false, false, false},
      {",,,,1x,1,1,1", false, 2, false, false, false},
  };
  AppSettings.TrayNew = kTrayNoIcon;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const auto server = Make(kQ3);
    server->Description = "before";
    EXPECT_EQ(server->LoadFromStoredText(c.text, nullptr), c.ok);
    EXPECT_EQ(server->Description, c.text.starts_with("Desk") ? "Desk" : "");
    EXPECT_EQ(server->TrayMode, c.trayMode);
    EXPECT_EQ(server->Popup, c.popup);
    EXPECT_EQ(server->PlayerTips, c.tips);
    EXPECT_EQ(server->RealPlayersNumber, c.real);
  }
}

TEST_F(ServerPropertiesTest, StoredIconFileSetsTheIconIndex) {
  FakeIcons icons;
  const auto server = Make(kQ3);
  ASSERT_TRUE(server->LoadFromStoredText(",good.ico,,,1", &icons));
  EXPECT_EQ(server->IconIndex, 100);
  EXPECT_EQ(server->EffectiveIconIndex(), 100);
  ASSERT_TRUE(server->LoadFromStoredText(",bad.ico,,,1", &icons));
  EXPECT_EQ(server->IconIndex, server->DefaultIconIndex);
}

TEST_F(ServerPropertiesTest, PropertiesAreReadAndWrittenUnderTheServersKey) {
  folder.write("skarvel.ini", "[Description]\n"
                              "10.0.0.5:27961,q3=\"Big \"\"Q\"\" server\",,,,2,1,0,1\n"
                              "10.0.0.5,q3=Other,,,,0,0,0,0\n");
  TIniFile ini(folder.file("skarvel.ini"));
  const auto server = Make(kQ3, 27961);
  server->LoadFromStoredText(ini.ReadRawString("Description", server->IniKey(), ""), nullptr);
  EXPECT_EQ(server->Description, "Big \"Q\" server");
  EXPECT_EQ(server->TrayMode, kTrayNoIcon);
  EXPECT_TRUE(server->Popup && server->RealPlayersNumber);
  EXPECT_FALSE(server->PlayerTips);

  server->Description = "Renamed";
  server->SaveProperties(ini);
  EXPECT_EQ(ini.ReadRawString("Description", "10.0.0.5:27961,q3", ""), "Renamed,,,,2,1,0,1");
  EXPECT_EQ(ini.ReadRawString("Description", "10.0.0.5,q3", ""), "Other,,,,0,0,0,0");
}

TEST_F(ServerPropertiesTest, LaunchParametersReplaceTheServerPlaceholders) {
  struct Case {
    int32_t port;
    std::string parameterTemplate;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {27016, "+connect %IP%:%Port% %1", "+connect 10.0.0.5:27016 10.0.0.5:27016"},
      {27015, "+connect %IP%:%Port% %1", "+connect 10.0.0.5:27015 10.0.0.5"},
      {27015, "", ""},
      {27016, "%1%1 %ip%%iP% %PORT%", "10.0.0.5:2701610.0.0.5:27016 10.0.0.510.0.0.5 27016"},
      {27015, "%%1% %port", "%10.0.0.5% %port"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.parameterTemplate);
    EXPECT_EQ(Make(kCS, c.port)->LaunchParameters(c.parameterTemplate), c.expected);
  }
}

TEST_F(ServerPropertiesTest, LaunchWithAMissingExecutableAndACancelledPickerStartsNothing) {
  const auto server = Make(kCS);
  games.Items(kCS).Executable = "";
  EXPECT_FALSE(server->LaunchGame(games, events));
  EXPECT_EQ(events.Take(), (std::vector<std::string>{"SelectExecutable steam for Counter-Strike",
                                                     "GameNotFound Counter-Strike: "}));
  EXPECT_FALSE(folder.exists("skarvel.ini"));
}

TEST_F(ServerPropertiesTest, LaunchWithACancelledPickerKeepsTheOldPathAndSaysSo) {
  const auto server = Make(kCS);
  games.Items(kCS).Executable = "/nonexistent/hl";
  games.Items(kCS).Parameters = "-connect %1";
  EXPECT_FALSE(server->LaunchGame(games, events));
  EXPECT_EQ(events.Take(),
            (std::vector<std::string>{"SelectExecutable steam for Counter-Strike",
                                      "GameNotFound Counter-Strike: /nonexistent/hl"}));
  EXPECT_EQ(games.Items(kCS).Executable, "/nonexistent/hl");
}

// A bare name is looked up on PATH, as the distributions install games;
// found, it starts from its own folder without asking.
TEST_F(ServerPropertiesTest, LaunchFindsABareNameOnPath) {
  const std::string program = folder.write("bin/ioquake3", "#!/bin/sh\n");
  std::filesystem::permissions(program, std::filesystem::perms::owner_exec,
                               std::filesystem::perm_options::add);
  const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
  setenv("PATH", ("/nonexistent:" + folder.file("bin")).c_str(), 1);
  games.Items(kQ3).Executable = "ioquake3";
  games.Items(kQ3).Parameters = "+connect %1";
  const bool started = Make(kQ3)->LaunchGame(games, events);
  setenv("PATH", savedPath.c_str(), 1);

  EXPECT_TRUE(started);
  EXPECT_EQ(events.Take(),
            std::vector<std::string>{"StartGame " + program +
                                     " params=+connect 10.0.0.5 folder=" + folder.file("bin")});
  EXPECT_EQ(games.Items(kQ3).Executable, "ioquake3"); // the setting stays a bare name
}

TEST_F(ServerPropertiesTest, LaunchUsesThePickedExecutableOfTheLaunchGameAndSavesIt) {
  std::filesystem::create_directory(folder.path() / "q3");
  folder.write("q3/quake3", "");
  const std::string picked = folder.file("q3/quake3");
  games.Items(kQ3).Parameters = "+connect %1";
  // A type whose tag names Quake 3 shares its launch settings.
  games.Items(kCSS).LaunchId = kQ3;
  const auto server = Make(kCSS, 27961);
  events.selectedExecutable = picked;

  EXPECT_TRUE(server->LaunchGame(games, events));
  EXPECT_EQ(events.Take(), (std::vector<std::string>{
                               "SelectExecutable ioquake3 for Quake 3",
                               "StartGame " + picked +
                                   " params=+connect 10.0.0.5:27961 folder=" + folder.file("q3")}));
  EXPECT_EQ(games.Items(kQ3).Executable, picked);
  EXPECT_EQ(TIniFile(folder.file("skarvel.ini")).ReadRawString("Game", "q3", ""),
            picked + " +connect %1");

  // Now that it exists, nobody is asked again.
  EXPECT_TRUE(server->LaunchGame(games, events));
  ASSERT_EQ(events.calls.size(), 1u);
  EXPECT_TRUE(events.calls[0].starts_with("StartGame "));
}

} // namespace
