#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cli/ConsoleEvents.h"
#include "config/AppSettings.h"
#include "config/BuddyList.h"
#include "games/game.h"
#include "model/address.h"
#include "model/server.h"
#include "protocols/builtin_games.h"
#include "tests/support/ScratchProgramFolder.h"

namespace {

constexpr int32_t kUT = 0;
constexpr int32_t kQ3 = 3;

std::string ReadAll(std::FILE* file) {
  std::rewind(file);
  std::string text;
  for (int c; (c = std::fgetc(file)) != EOF;)
    text += static_cast<char>(c);
  return text;
}

// The console prints each event as the event log writes it, so a server name
// drives neither the terminal nor the log file.
TEST(ConsoleEvents, PrintTheLineTheEventLogGets) {
  ScratchProgramFolder folder;
  AppSettings.Stats = true;
  TGameList games;
  games.LoadGames(BuiltinGames(), THostInfo{});
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  TConsoleEvents events(out);
  TAddress polled(games, "127.0.0.1", 0, kUT);
  auto server = TServer::CreateFromReply(events.Roles(), "127.0.0.1", 7777, polled, 0);
  server->Info[SKARVEL_INFO_NAME] = "\x1B[2J\x1B]0;J\xF6rg\x07\nforged";

  server->NotifyOffline();

  const std::string expected = "UT server \"?[2J?]0;J\xC3\xB6rg??forged\" (127.0.0.1) is offline";
  EXPECT_EQ(ReadAll(out), expected + "\n");
  const std::string log = folder.read("stats.txt");
  EXPECT_TRUE(log.ends_with(" " + expected + "\n")) << log;
  EXPECT_EQ(log.find('\n'), log.size() - 1) << log;
  std::fclose(out);
}

// Without a tray to show them in, the console's servers still get the tray
// mode of new servers, which their stored properties keep.
TEST(ConsoleEvents, ServersTakeTheTrayModeOfNewServers) {
  TGameList games;
  games.LoadGames(BuiltinGames(), THostInfo{});
  TConsoleEvents events(nullptr);
  TAddress polled(games, "127.0.0.1", 0, kUT);
  for (const uint8_t mode : {kTrayCommonIcon, kTrayOwnIcon, kTrayNoIcon}) {
    AppSettings.TrayNew = mode;
    EXPECT_EQ(TServer::CreateFromReply(events.Roles(), "127.0.0.1", 7777, polled, 0)->TrayMode,
              mode);
  }
}

// A buddy entering prints the announcement after the entered line; with
// --buddies the announcement alone.
TEST(ConsoleEvents, BuddyAnnouncementsAndTheBuddiesOnlyFilter) {
  struct Case {
    bool buddiesOnly;
    std::string expected;
  };
  const std::string at = " Q3 server \"Rail\" (127.0.0.1)\n";
  const Case cases[] = {
      {false, "Player Carl entered" + at + "Player Anna entered" + at +
                  "Anna joined Q3 server “Rail” (q3dm17, 2/16)\n" + "Player Carl left" + at},
      {true, "Anna joined Q3 server “Rail” (q3dm17, 2/16)\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.buddiesOnly);
    ScratchProgramFolder folder;
    Buddies.Add("an?a");
    TGameList games;
    games.LoadGames(BuiltinGames(), THostInfo{});
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    TConsoleEvents events(out, c.buddiesOnly);
    TAddress polled(games, "127.0.0.1", 0, kQ3);
    auto server = TServer::CreateFromReply(events.Roles(), "127.0.0.1", 27960, polled, 0);
    const std::string reply = "\xFF\xFF\xFF\xFFstatusResponse\n"
                              "\\sv_hostname\\Rail\\mapname\\q3dm17\\sv_maxclients\\16\n";
    server->ApplyReply(0, reply + "1 0 \"Carl\"\n2 0 \"Anna\"\n", 0);
    server->CommitPass(0);
    server->AnsweredInPass = false; // the next pass
    server->ApplyReply(0, reply + "2 0 \"Anna\"\n", 0);
    server->CommitPass(0);
    EXPECT_EQ(ReadAll(out), c.expected);
    std::fclose(out);
  }
}

} // namespace
