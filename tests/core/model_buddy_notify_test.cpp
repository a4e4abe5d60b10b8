#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/BuddyList.h"
#include "tests/support/NotifyFixture.h"

namespace {

using namespace notify_fixture;

// Buddies entering a server: told to the front end, shown in a balloon
// whatever the server's popup options, with the server's sound.
class BuddyNotifyTest : public NotifyFixture {
protected:
  void SetUp() override {
    NotifyFixture::SetUp();
    Buddies.Add("anna");
    Buddies.Add("*bob*");
  }
  // The calls that announce buddies or play the sound; the rest is covered
  // by the other notification tests.
  Lines TakeAnnouncements() {
    Lines picked;
    for (const std::string& call : Take())
      if (call.starts_with("BuddyEntered") || call.starts_with("PlaySound") ||
          call.starts_with("ShowBalloon"))
        picked.push_back(call);
    return picked;
  }
  std::string Sound() const { return "PlaySound " + folder.file("users.wav"); }
};

TEST_F(BuddyNotifyTest, FirstCommitAnnouncesBuddiesAfterEverythingElse) {
  auto server = Make();
  server->SetOnline(true);
  Take();
  // Quake 3 colour codes never reach the model: "anna" finds "^1An^7na".
  Pass(*server, {"Carl", "^1An^7na", "Bobby"}, kStart, "Rail Arena");
  EXPECT_EQ(Take(), (Lines{
                        "Log Player Carl entered Q3 server \"Rail Arena\" (10.0.0.5)",
                        "Log Player Anna entered Q3 server \"Rail Arena\" (10.0.0.5)",
                        "Log Player Bobby entered Q3 server \"Rail Arena\" (10.0.0.5)",
                        "RefreshPlayers 10.0.0.5",
                        // One sound: the buddies are among the first players.
                        Sound(),
                        "ShowTrayIcon 0 hint=Rail Arena - q3dm17 (3) count=3 image=3",
                        "RefreshTray",
                        "ShowBalloon 0 title=Arena Box (Q3) text=Players online: Carl,Anna,Bobby",
                        "BuddyEntered 10.0.0.5 Anna: Anna joined Q3 server “Rail Arena” "
                        "(q3dm17, 3/16)",
                        "BuddyEntered 10.0.0.5 Bobby: Bobby joined Q3 server “Rail Arena” "
                        "(q3dm17, 3/16)",
                        // Both in one balloon, last, so no other balloon hides it.
                        "ShowBalloon 0 title=Skarvel text=Anna joined Q3 server “Rail Arena” "
                        "(q3dm17, 3/16)\r\nBobby joined Q3 server “Rail Arena” (q3dm17, 3/16)",
                        "NotifyStatistics 10.0.0.5",
                    }));
}

TEST_F(BuddyNotifyTest, AnnouncedWhateverTheServersPopupOptions) {
  struct Case {
    bool popupMessages, popup, playerTips;
  };
  const std::vector<Case> cases = {
      {true, false, false}, {true, true, false},   {true, false, true},
      {true, true, true},   {false, false, false}, // balloons are off altogether: the sound still
                                                   // plays
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.popupMessages) + std::to_string(c.popup) +
                 std::to_string(c.playerTips));
    AppSettings.PopupMessages = c.popupMessages;
    auto server = Make(c.popup, c.playerTips, kTrayCommonIcon);
    server->SetOnline(true);
    Pass(*server, {"Carl"}, kStart);
    Take();
    Pass(*server, {"Carl", "Anna"}, kStart + kSecond);
    const std::string text = "Anna joined Q3 server “Arena” (q3dm17, 2/16)";
    Lines expected;
    if (c.popup && c.playerTips && c.popupMessages)
      expected.push_back("ShowBalloon -1 title=Arena Box (Q3) text=Players online: Anna");
    expected.push_back("BuddyEntered 10.0.0.5 Anna: " + text);
    if (c.popupMessages)
      expected.push_back("ShowBalloon -1 title=Skarvel text=" + text);
    expected.push_back(Sound());
    EXPECT_EQ(TakeAnnouncements(), expected);
  }
}

TEST_F(BuddyNotifyTest, EachVisitIsAnnouncedOnceAndHoppingIsFollowed) {
  auto rail = Make(false, false, kTrayCommonIcon);
  auto dust = TServer::CreateFromStore(games, events.Roles(), "10.0.0.6", 0, kQ3, kStart);
  dust->TrayMode = kTrayCommonIcon;
  rail->SetOnline(true);
  dust->SetOnline(true);
  const auto joined = [](const std::string& host, const std::string& server, int players) {
    return "BuddyEntered " + host + " Anna: Anna joined Q3 server “" + server + "” (q3dm17, " +
           std::to_string(players) + "/16)";
  };

  // Already playing at the first cycle: announced once, not again while she stays.
  Pass(*rail, {"Anna", "Carl"}, kStart, "Rail");
  Pass(*dust, {"Dora"}, kStart, "Dust");
  Take();
  Pass(*rail, {"Carl", "Anna"}, kStart + kSecond, "Rail");
  Pass(*dust, {"Dora"}, kStart + kSecond, "Dust");
  EXPECT_EQ(TakeAnnouncements(), Lines{});

  // She hops to the other server: announced there; leaving says nothing.
  Pass(*rail, {"Carl"}, kStart + 2 * kSecond, "Rail");
  Pass(*dust, {"Dora", "Anna"}, kStart + 2 * kSecond, "Dust");
  EXPECT_EQ(TakeAnnouncements(), (Lines{joined("10.0.0.6", "Dust", 2),
                                        "ShowBalloon -1 title=Skarvel text=Anna joined Q3 server "
                                        "“Dust” (q3dm17, 2/16)",
                                        Sound()}));

  // And back: announced again.
  Pass(*dust, {"Dora"}, kStart + 3 * kSecond, "Dust");
  Pass(*rail, {"Carl", "Anna"}, kStart + 3 * kSecond, "Rail");
  const Lines back = TakeAnnouncements();
  ASSERT_FALSE(back.empty());
  EXPECT_EQ(back.front(), joined("10.0.0.5", "Rail", 2));
}

TEST_F(BuddyNotifyTest, NamesAreInsertedAsTheyAreNeverAsPlaceholders) {
  Buddies.Add("%*");
  auto server = Make(false, false, kTrayCommonIcon);
  server->SetOnline(true);
  Pass(*server, {"%2%1"}, kStart, "%3 Arena");
  EXPECT_EQ(TakeAnnouncements(),
            (Lines{Sound(),
                   "BuddyEntered 10.0.0.5 %2%1: %2%1 joined Q3 server “%3 Arena” "
                   "(q3dm17, 1/16)",
                   "ShowBalloon -1 title=Skarvel text=%2%1 joined Q3 server “%3 Arena” "
                   "(q3dm17, 1/16)"}));
}

TEST_F(BuddyNotifyTest, NoBuddiesNoAnnouncement) {
  Buddies.Clear();
  auto server = Make(false, false, kTrayCommonIcon);
  server->SetOnline(true);
  Pass(*server, {"Anna", "Bob"}, kStart);
  EXPECT_EQ(TakeAnnouncements(), Lines{Sound()});
}

} // namespace
