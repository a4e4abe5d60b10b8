#pragma once

#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "config/AppSettings.h"
#include "games/game.h"
#include "model/server.h"
#include "protocols/builtin_games.h"
#include "tests/support/NotifyFixture.h"
#include "tray/Tray.h"
#include "tray/TrayPolicy.h"

// Hands the servers' view events to a TTray, as the main window does; the
// tray's decisions go to the TTray's icons.
class TrayForwardingEvents : public IServerViews, public IServerNotifications {
public:
  TTray* tray = nullptr;
  std::unique_ptr<TTrayPolicy> policy;

  TServerRoles Roles() { return {*this, *policy, *this, statistics_}; }

  void ServerChanged(const TServer& server) override { tray->Touch(server); }
  void ServerDestroyed(const TServer& server) override { tray->Forget(server); }
  void RefreshPlayers(const TServer*) override {}
  void PlaySound(const std::string&) override {}
  void EventLine(const TServer&, const std::string&) override {}
  void BuddyEntered(const TServer&, const std::string&, const std::string&) override {}

private:
  TNoServerStatistics statistics_;
};

// A tray over a live list of Quake 3 servers, with a main window that records
// what the tray asks of it.
class TrayTest : public ::testing::Test {
protected:
  static constexpr int32_t kQ3 = 3;

  void SetUp() override {
    AppSettings = TAppSettings{};
    games.LoadGames(BuiltinGames(), THostInfo{});
    TTrayWindow hooks;
    hooks.SelectServer = [this](const TServer& server) {
      asked.push_back("Select " + server.Host);
    };
    hooks.Show = [this] {
      asked.push_back("Show");
      shown = true;
    };
    hooks.Hide = [this] {
      asked.push_back("Hide");
      shown = false;
    };
    hooks.Shown = [this] { return shown; };
    hooks.About = [this] { asked.push_back("About"); };
    hooks.Exit = [this] { asked.push_back("Exit"); };
    hooks.GameImage = [](int32_t index) { return GameImage(index); };
    hooks.Digits = [] { return AppSettings.Digits; };
    hooks.PopupMessages = [] { return AppSettings.PopupMessages; };
    tray = std::make_unique<TTray>(window, servers, std::move(hooks));
    events.tray = tray.get();
    events.policy = std::make_unique<TTrayPolicy>(*tray, AppSettings);
  }
  void TearDown() override {
    servers.Clear(); // servers give their icons back before the tray goes
    tray.reset();
  }

  // A plain image per index, so a test can tell which one an icon shows.
  static QIcon GameImage(int32_t index) {
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(QColor::fromHsv((index * 40) % 360, 200, 200));
    return QIcon(QPixmap::fromImage(image));
  }

  // A live server that answered one pass with `players` (names p1, p2 ...).
  TServer& Add(const std::string& host, uint8_t trayMode, int players,
               const std::string& name = "Arena") {
    auto made =
        TServer::CreateFromStore(games, events.Roles(), host, 0, kQ3, notify_fixture::kStart);
    made->TrayMode = trayMode;
    TServer& server = *made;
    servers.Add(std::move(made));
    Answer(server, players, name);
    return server;
  }
  void Answer(TServer& server, int players, const std::string& name = "Arena") {
    notify_fixture::Roster roster;
    for (int i = 1; i <= players; ++i)
      roster.push_back("p" + std::to_string(i));
    server.AnsweredInPass = false;
    server.ApplyReply(0, notify_fixture::Q3Reply(name, roster), notify_fixture::kStart);
    server.CommitPass(notify_fixture::kStart);
  }

  static QImage Pixels(const QIcon& icon) {
    return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
  }

  QWidget window;
  std::unique_ptr<TTray> tray;
  TGameList games;
  TrayForwardingEvents events;
  TServerList servers;
  std::vector<std::string> asked;
  bool shown = true;
};
