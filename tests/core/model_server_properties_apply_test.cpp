#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "config/IniFile.h"
#include "games/game.h"
#include "model/ServerProperties.h"
#include "model/server.h"
#include "protocols/builtin_games.h"
#include "tests/support/RecordingServerEvents.h"
#include "tests/support/ScratchProgramFolder.h"

namespace {

constexpr int32_t kQ3 = 3;
constexpr int32_t kLoadedImage = 42;

// An icon file loads when it exists.
class ExistingFileIcons : public IGameIcons {
public:
  int32_t AddIconFile(const std::string& path) override {
    return std::filesystem::is_regular_file(path) ? kLoadedImage : -1;
  }
};

// The edited options of a server as a value, applied back and stored.
class ServerPropertiesValueTest : public ::testing::Test {
protected:
  void SetUp() override { games.LoadGames(BuiltinGames(), THostInfo{}); }
  std::unique_ptr<TServer> Make() {
    return TServer::CreateFromStore(games, events.Roles(), "10.0.0.5", 27961, kQ3, 1.0);
  }

  ScratchProgramFolder folder;
  TGameList games;
  RecordingServerEvents events;
  ExistingFileIcons icons;
};

TEST_F(ServerPropertiesValueTest, AppliedPropertiesAreStoredAndReadBackUnderTheServersKey) {
  folder.write("own.ico", "icon");
  const TServerProperties edited{"Clan \"A\", Arena",
                                 "own.ico",
                                 "missing dir/x.wav",
                                 "/nonexistent/log.txt",
                                 3,
                                 true,
                                 false,
                                 true};
  const auto server = Make();
  ApplyProperties(*server, edited, &icons);
  EXPECT_EQ(PropertiesOf(*server), edited);
  EXPECT_EQ(server->IconIndex, kLoadedImage);

  TIniFile ini(folder.file("skarvel.ini"));
  server->SaveProperties(ini);
  ini.UpdateFile();
  const TIniFile stored(folder.file("skarvel.ini"));
  EXPECT_EQ(stored.ReadRawString("Description", "10.0.0.5:27961,q3", ""),
            "\"Clan \"\"A\"\", Arena\",own.ico,\"missing dir/x.wav\",/nonexistent/log.txt,3,0,1,1");

  const auto reloaded = Make();
  reloaded->LoadFromStoredText(stored.ReadRawString("Description", reloaded->IniKey(), ""), &icons);
  EXPECT_EQ(PropertiesOf(*reloaded), edited);
  EXPECT_EQ(reloaded->IconIndex, kLoadedImage);
}

TEST_F(ServerPropertiesValueTest, AnIconThatDoesNotLoadGivesTheGamesDefaultImage) {
  folder.write("own.ico", "icon");
  struct Case {
    std::string iconFile;
    bool withIcons;
    int32_t image; // -1: the game's default image
  };
  const std::vector<Case> cases = {
      {"own.ico", true, kLoadedImage}, {folder.file("own.ico"), true, kLoadedImage},
      {"missing.ico", true, -1},       {"", true, -1},
      {"own.ico", false, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.iconFile);
    const auto server = Make();
    server->IconIndex = 99; // an image of an earlier icon file
    TServerProperties properties = PropertiesOf(*server);
    properties.IconFile = c.iconFile;
    ApplyProperties(*server, properties, c.withIcons ? &icons : nullptr);
    EXPECT_EQ(server->IconFile, c.iconFile) << "kept as typed";
    EXPECT_EQ(server->IconIndex, c.image < 0 ? server->DefaultIconIndex : c.image);
  }
}

} // namespace
