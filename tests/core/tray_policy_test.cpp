#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "config/AppSettings.h"
#include "games/game.h"
#include "model/server.h"
#include "protocols/builtin_games.h"
#include "tests/support/RecordingServerEvents.h"
#include "tray/TrayPolicy.h"

namespace {

constexpr int32_t kQ3 = 3;
using Lines = std::vector<std::string>;

// The tray's decisions read the settings their owner gave them, as they are
// when a decision falls, and not the program's record.
class TrayPolicyTest : public ::testing::Test {
protected:
  void SetUp() override {
    AppSettings = TAppSettings{};
    games.LoadGames(BuiltinGames(), THostInfo{});
  }
  std::unique_ptr<TServer> Make() {
    return TServer::CreateFromStore(games, roles, "10.0.0.5", 0, kQ3, 1.0);
  }

  TGameList games;
  RecordingServerEvents events; // the views and the tray's icons
  TAppSettings settings;
  TTrayPolicy policy{events, settings};
  TServerRoles roles{events, policy, events, events};
};

TEST_F(TrayPolicyTest, ANewServerTakesTheTrayModeSetWhenItIsMade) {
  AppSettings.TrayNew = kTrayOwnIcon;
  for (const uint8_t mode : {uint8_t{kTrayCommonIcon}, uint8_t{kTrayNoIcon}, uint8_t{3}}) {
    settings.TrayNew = mode;
    EXPECT_EQ(Make()->TrayMode, mode);
  }
}

TEST_F(TrayPolicyTest, BalloonsFollowThePopupSwitchAsItIsNow) {
  const auto server = Make();
  server->TrayMode = kTrayCommonIcon;
  server->SetOnline(true);
  events.Take();
  for (const bool on : {false, true, false}) {
    SCOPED_TRACE(on);
    settings.PopupMessages = on;
    AppSettings.PopupMessages = !on;
    server->ShowPopup("x", "T");
    EXPECT_EQ(events.Take(), on ? Lines{"ShowBalloon -1 title=T text=x"} : Lines{});
  }
}

} // namespace
