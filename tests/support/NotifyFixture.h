#pragma once

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "config/AppSettings.h"
#include "games/game.h"
#include "model/server.h"
#include "protocols/builtin_games.h"
#include "tests/support/RecordingServerEvents.h"
#include "tests/support/ScratchProgramFolder.h"
#include "util/datetime.h"

// What the notification tests share: a Quake 3 server in a scratch program
// folder with "Stats" on, whose log lines join the recorded calls.
namespace notify_fixture {

constexpr int32_t kQ3 = 3;
constexpr double kSecond = 1.0 / 86400.0;
constexpr TDateTime kStart = 45000.25;

using Roster = std::vector<std::string>;
using Lines = std::vector<std::string>;

inline std::string Q3Reply(const std::string& name, const Roster& players) {
  std::string reply = "\xFF\xFF\xFF\xFF"
                      "statusResponse\n\\sv_hostname\\" +
                      name + "\\mapname\\q3dm17\\fraglimit\\20\\sv_maxclients\\16\n";
  for (const std::string& player : players)
    reply += "3 50 \"" + player + "\"\n";
  return reply;
}

// Reads what was appended to a log file since the last look. Every line must
// be "<date> <time> <text>\n" with the stamp of a moment since the reader was
// made; the texts come back, or "<bad line> ..." for anything else.
class LogReader {
public:
  explicit LogReader(std::string path) : path_(std::move(path)), since_(Now()) {}

  Lines NewTexts() {
    std::string content = ReadAll();
    std::string fresh = content.substr(std::min(consumed_, content.size()));
    consumed_ = content.size();
    std::vector<std::string> stamps;
    for (TDateTime t = since_; t < Now() + kSecond; t += kSecond)
      stamps.push_back(DateTimeToStr(t));
    Lines texts;
    std::size_t start = 0;
    while (start < fresh.size()) {
      const std::size_t end = fresh.find('\n', start);
      if (end == std::string::npos) {
        texts.push_back("<bad line> unterminated: " + fresh.substr(start));
        break;
      }
      const std::string line = fresh.substr(start, end - start);
      start = end + 1;
      std::string text = "<bad line> " + line;
      for (const std::string& stamp : stamps)
        if (line.starts_with(stamp + " ")) {
          text = line.substr(stamp.size() + 1);
          break;
        }
      texts.push_back(text);
    }
    return texts;
  }

private:
  std::string ReadAll() const {
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  std::string path_;
  TDateTime since_;
  std::size_t consumed_ = 0;
};

class NotifyFixture : public ::testing::Test {
protected:
  void SetUp() override {
    games.LoadGames(BuiltinGames(), THostInfo{});
    AppSettings.Stats = true;
    // Log lines join the stream of calls at the moment they are written.
    events.beforeEachCall = [this] { PullLog(); };
  }
  void PullLog() {
    for (const std::string& text : log.NewTexts())
      events.calls.push_back("Log " + text);
  }
  // All calls and log lines since the last look.
  Lines Take() {
    PullLog();
    return events.Take();
  }
  // A server as the known list would give it: the options of its properties.
  std::unique_ptr<TServer> Make(bool popup = true, bool playerTips = true,
                                uint8_t trayMode = kTrayOwnIcon) {
    auto server = TServer::CreateFromStore(games, events.Roles(), "10.0.0.5", 0, kQ3, kStart);
    server->Description = "Arena Box";
    server->Popup = popup;
    server->PlayerTips = playerTips;
    server->TrayMode = trayMode;
    return server;
  }
  // One address pass in which the server answers with these players.
  void Pass(TServer& server, const Roster& players, TDateTime now,
            const std::string& name = "Arena") {
    server.AnsweredInPass = false;
    server.ApplyReply(0, Q3Reply(name, players), now);
    server.CommitPass(now);
  }

  ScratchProgramFolder folder;
  LogReader log{folder.file("stats.txt")};
  TGameList games;
  RecordingServerEvents events;
};

} // namespace notify_fixture
