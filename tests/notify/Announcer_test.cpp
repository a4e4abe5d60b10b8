#include <QDBusConnection>
#include <QDBusMessage>
#include <QTest>
#include <QVariant>

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/notify/FakeNotificationService.h"
#include "tests/notify/PrivateBus.h"
#include "tray/Announcer.h"
#include "tray/TrayIcons.h"

namespace {

using Lines = std::vector<std::string>;

// Replies cross a real bus; a loaded machine may be slow, a right answer
// comes long before this.
constexpr int kReplyMs = 30000;

const TAddressKey kArena{"127.0.0.1", 27961, 3};
const TAddressKey kOther{"127.0.0.2", 27960, 3};

// An announcer on the test's private session bus, with a fake time, whose
// balloons and chosen actions are recorded.
class AnnouncerTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected())
        << "no session bus: run this test under dbus-run-session";
    announcer = std::make_unique<TAnnouncer>(QDBusConnection::sessionBus(), Hooks(), nullptr);
    // Until the bus has told that no service runs yet.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !announcer->Notifier().Available(); }, kReplyMs));
  }

  TAnnouncer::THooks Hooks() {
    TAnnouncer::THooks hooks;
    hooks.Balloon = [this](int32_t icon, const std::string& title, const std::string& text) {
      balloons.push_back(std::to_string(icon) + " " + title + " | " + text);
    };
    hooks.Action = [this](const QString& action, const std::optional<TAddressKey>& server) {
      actions.push_back(action.toStdString() + " " +
                        (server ? server->Host + ":" + std::to_string(server->Port) : "-"));
    };
    hooks.Enabled = [this] { return enabled; };
    hooks.Now = [this] { return now; };
    return hooks;
  }

  // The service takes its name, and the announcer has heard of it.
  bool RegisterService() {
    return service.Register() &&
           QTest::qWaitFor([&] { return announcer->Notifier().Available(); }, kReplyMs);
  }

  // The service shows one notification of kArena; its id.
  uint ShowOne() {
    announcer->Announce(kArena, 0, "Arena", "Players online: A");
    return WaitForShown(service.shown.size() + 1) ? service.shown.back().Id : 0;
  }

  // Until the service has shown `count` and the announcer knows their ids.
  bool WaitForShown(std::size_t count) {
    return QTest::qWaitFor([&] { return service.shown.size() >= count; }, kReplyMs) &&
           service.Caught(QDBusConnection::sessionBus(), kReplyMs);
  }

  FakeNotificationService service;
  Lines balloons;
  Lines actions;
  bool enabled = true;
  TAnnouncer::TimePoint now = TAnnouncer::TimePoint{} + std::chrono::hours{1};
  std::unique_ptr<TAnnouncer> announcer;
};

TEST_F(AnnouncerTest, WithoutTheServiceBalloonsShowAndABurstIsFolded) {
  for (int i = 1; i <= 7; ++i)
    announcer->Announce(kArena, i == 1 ? 0 : ITrayIcons::kCommonIcon, "Skarvel",
                        "event " + std::to_string(i) + "\r\nsecond line");
  ASSERT_EQ(balloons.size(), 5u);
  EXPECT_EQ(balloons.front(), "0 Skarvel | event 1\r\nsecond line");
  ASSERT_TRUE(announcer->FoldTimer().isActive());
  EXPECT_EQ(announcer->FoldTimer().remainingTime() <= 10000, true);

  announcer->ShowFolded(); // early: nothing yet, the timer waits on
  EXPECT_EQ(balloons.size(), 5u);
  EXPECT_TRUE(announcer->FoldTimer().isActive());

  now += std::chrono::seconds{10};
  announcer->ShowFolded();
  ASSERT_EQ(balloons.size(), 6u);
  EXPECT_EQ(balloons.back(), "-1 Skarvel | … and 2 more\r\nevent 6\r\nevent 7");
  EXPECT_TRUE(service.shown.empty());
}

TEST_F(AnnouncerTest, OneHeldAnnouncementShowsAsItselfWithItsServer) {
  ASSERT_TRUE(RegisterService());
  for (int i = 1; i <= 6; ++i)
    announcer->Announce(i == 6 ? kOther : kArena, 0, "Demo Q3",
                        "Players online: Anna " + std::to_string(i));
  ASSERT_TRUE(WaitForShown(5));
  now += std::chrono::seconds{10};
  announcer->ShowFolded();
  ASSERT_TRUE(WaitForShown(6));
  const FakeNotificationService::TShown& last = service.shown.back();
  EXPECT_EQ(last.Summary, "Demo Q3");
  EXPECT_EQ(last.Body, "Players online: Anna 6");
  EXPECT_EQ(last.Actions.value(0), "join");

  service.Click(last.Id, "join");
  ASSERT_TRUE(service.Caught(QDBusConnection::sessionBus(), kReplyMs));
  EXPECT_EQ(actions, (Lines{"join 127.0.0.2:27960"}));
}

TEST_F(AnnouncerTest, AFoldHeldWhenAnnouncementsAreTurnedOffIsDropped) {
  for (int i = 0; i < 6; ++i)
    announcer->Announce(kArena, 0, "Skarvel", "event");
  enabled = false;
  now += std::chrono::seconds{10};
  announcer->ShowFolded();
  EXPECT_EQ(balloons.size(), 5u);
}

TEST_F(AnnouncerTest, TheServiceShowsTheAnnouncementWithJoinAndShow) {
  ASSERT_TRUE(RegisterService());
  announcer->Announce(kArena, 0, "Skarvel", "Q3 server \"Arena\" (127.0.0.1:27961) is online");
  ASSERT_TRUE(WaitForShown(1));
  const FakeNotificationService::TShown& shown = service.shown.front();
  EXPECT_EQ(shown.App, "Skarvel");
  EXPECT_EQ(shown.Icon, "skarvel");
  EXPECT_EQ(shown.Summary, "Skarvel");
  EXPECT_EQ(shown.Body, "Q3 server \"Arena\" (127.0.0.1:27961) is online");
  EXPECT_EQ(shown.Actions, (QStringList{"join", "Join", "show", "Show"}));
  EXPECT_EQ(shown.Timeout, 10000);
  EXPECT_EQ(shown.Replaces, 0u);
  EXPECT_EQ(shown.Hints.value("desktop-entry").toString(), "skarvel");
  EXPECT_TRUE(balloons.empty());

  service.Click(shown.Id + 100, "join"); // another program's notification
  service.Click(shown.Id, "join");
  ASSERT_TRUE(service.Caught(QDBusConnection::sessionBus(), kReplyMs));
  EXPECT_EQ(actions, (Lines{"join 127.0.0.1:27961"}));
}

struct MarkupCase {
  bool readsMarkup;
  const char* body;
};

void PrintTo(const MarkupCase& c, std::ostream* out) {
  *out << (c.readsMarkup ? "reads markup" : "plain text");
}

class AnnouncerMarkupTest : public AnnouncerTest,
                            public ::testing::WithParamInterface<MarkupCase> {};

TEST_P(AnnouncerMarkupTest, ServerTextsReachAMarkupReadingServiceAsText) {
  if (GetParam().readsMarkup)
    service.capabilities << "body-markup";
  ASSERT_TRUE(RegisterService());
  // Line ends become the desktop's, a server's 8-bit text becomes Unicode.
  announcer->Announce(kArena, 0, "<i>Tom</i> (Q3)",
                      "Players online: <b>Tom & \xC4ve</b>\r\nPlayers offline: A");
  ASSERT_TRUE(WaitForShown(1));
  EXPECT_EQ(service.shown.front().Summary, "<i>Tom</i> (Q3)");
  EXPECT_EQ(service.shown.front().Body, QString::fromUtf8(GetParam().body));
}

INSTANTIATE_TEST_SUITE_P(
    Capabilities, AnnouncerMarkupTest,
    ::testing::Values(
        MarkupCase{true,
                   "Players online: &lt;b&gt;Tom &amp; \xC3\x84ve&lt;/b&gt;\nPlayers offline: A"},
        MarkupCase{false, "Players online: <b>Tom & \xC3\x84ve</b>\nPlayers offline: A"}));

TEST_F(AnnouncerTest, AServersNewerAnnouncementReplacesItsOpenOne) {
  ASSERT_TRUE(RegisterService());
  announcer->Announce(kArena, 0, "Arena", "Players online: A");
  ASSERT_TRUE(WaitForShown(1));
  announcer->Announce(kOther, 0, "Other", "Players online: B");
  ASSERT_TRUE(WaitForShown(2));
  announcer->Announce(kArena, 0, "Arena", "Players offline: A");
  ASSERT_TRUE(WaitForShown(3));
  const uint first = service.shown[0].Id;
  EXPECT_EQ(service.shown[1].Replaces, 0u);
  EXPECT_EQ(service.shown[2].Replaces, first);

  // Once it has closed, the next one is new.
  service.Expire(first);
  ASSERT_TRUE(service.Caught(QDBusConnection::sessionBus(), kReplyMs));
  announcer->Announce(kArena, 0, "Arena", "Players online: C");
  ASSERT_TRUE(WaitForShown(4));
  EXPECT_EQ(service.shown[3].Replaces, 0u);
}

TEST_F(AnnouncerTest, TheFoldedNotificationOffersShowOnly) {
  ASSERT_TRUE(RegisterService());
  for (int i = 1; i <= 7; ++i)
    announcer->Announce(kArena, 0, "Skarvel", "event " + std::to_string(i));
  now += std::chrono::seconds{10};
  announcer->ShowFolded();
  ASSERT_TRUE(WaitForShown(6));
  const FakeNotificationService::TShown& folded = service.shown.back();
  EXPECT_EQ(folded.Body, "… and 2 more\nevent 6\nevent 7");
  EXPECT_EQ(folded.Actions, (QStringList{"show", "Show"}));
  service.Click(folded.Id, "show");
  ASSERT_TRUE(service.Caught(QDBusConnection::sessionBus(), kReplyMs));
  EXPECT_EQ(actions, Lines{"show -"});
}

// Announcements held back in a burst, one in Windows-1252 and one in UTF-8:
// the fold keeps its own "…" and each announcement readable, on the desktop
// and in a balloon alike.
class AnnouncerFoldTextTest : public AnnouncerTest, public ::testing::WithParamInterface<bool> {};

TEST_P(AnnouncerFoldTextTest, EachFoldedAnnouncementIsDecodedOnItsOwn) {
  const bool desktop = GetParam();
  if (desktop) {
    ASSERT_TRUE(RegisterService());
  }
  for (int i = 1; i <= 5; ++i)
    announcer->Announce(kArena, 0, "Skarvel", "event " + std::to_string(i));
  announcer->Announce(kArena, 0, "Skarvel", "Zo\xEB joined Q3 server \x93Rail\x94");
  announcer->Announce(kArena, 0, "Skarvel",
                      "J\xC3\xB6rg joined Q3 server \xE2\x80\x9CRail\xE2\x80\x9D");
  now += std::chrono::seconds{10};
  announcer->ShowFolded();
  const std::string expected = "… and 2 more\r\nZoë joined Q3 server “Rail”\r\n"
                               "Jörg joined Q3 server “Rail”";
  if (desktop) {
    ASSERT_TRUE(WaitForShown(6));
    EXPECT_EQ(service.shown.back().Body.toStdString(),
              QString::fromStdString(expected).replace("\r\n", "\n").toStdString());
  } else {
    ASSERT_EQ(balloons.size(), 6u);
    EXPECT_EQ(balloons.back(), "-1 Skarvel | " + expected);
  }
}

INSTANTIATE_TEST_SUITE_P(, AnnouncerFoldTextTest, ::testing::Bool(), [](const auto& param) {
  return std::string(param.param ? "Desktop" : "Balloon");
});

TEST_F(AnnouncerTest, ARefusedNotificationBecomesABalloon) {
  ASSERT_TRUE(RegisterService());
  service.refuse = true;
  announcer->Announce(kArena, 0, "Arena", "Players online: A");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !balloons.empty(); }, kReplyMs));
  EXPECT_EQ(balloons, Lines{"0 Arena | Players online: A"});
}

TEST_F(AnnouncerTest, BalloonsComeBackWhenTheServiceGoes) {
  ASSERT_TRUE(RegisterService());
  announcer->Announce(kArena, 0, "Arena", "one");
  ASSERT_TRUE(WaitForShown(1));
  service.Unregister();
  // Whether the announcer has heard of it yet or finds out by asking.
  announcer->Announce(kArena, 0, "Arena", "two");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !balloons.empty(); }, kReplyMs));
  EXPECT_EQ(balloons, Lines{"0 Arena | two"});
  ASSERT_TRUE(RegisterService());
  announcer->Announce(kArena, 0, "Arena", "three");
  ASSERT_TRUE(WaitForShown(2));
  EXPECT_EQ(service.shown.back().Body, "three");
}

TEST_F(AnnouncerTest, AnActionRepeatedByTheServiceActsOnce) {
  ASSERT_TRUE(RegisterService());
  const uint id = ShowOne();
  ASSERT_NE(id, 0u);
  for (int i = 0; i < 3; ++i)
    service.Click(id, "join");
  service.Click(id, "show");
  ASSERT_TRUE(service.Caught(QDBusConnection::sessionBus(), kReplyMs));
  EXPECT_EQ(actions, Lines{"join 127.0.0.1:27961"});
}

QDBusMessage NotificationSignal(const char* name, const QVariantList& arguments) {
  QDBusMessage signal = QDBusMessage::createSignal("/org/freedesktop/Notifications",
                                                   "org.freedesktop.Notifications", name);
  signal.setArguments(arguments);
  return signal;
}

// A signal that must not act on a notification of ours, and who sends it.
struct ForgedCase {
  const char* what;
  bool fromAnotherProgram;
  const char* name;
  // Arguments; kOurs stands for the id of our open notification.
  std::vector<QVariant> arguments;
};
const QVariant kOurs = QStringLiteral("our id");

void PrintTo(const ForgedCase& c, std::ostream* out) {
  *out << c.what;
}

class AnnouncerForgedSignalTest : public AnnouncerTest,
                                  public ::testing::WithParamInterface<ForgedCase> {};

TEST_P(AnnouncerForgedSignalTest, LeavesTheNotificationToTheUser) {
  ASSERT_TRUE(RegisterService());
  const uint id = ShowOne();
  ASSERT_NE(id, 0u);
  QVariantList arguments;
  for (const QVariant& argument : GetParam().arguments)
    arguments << (argument == kOurs ? QVariant(id) : argument);
  const QDBusMessage forged = NotificationSignal(GetParam().name, arguments);
  ASSERT_TRUE(GetParam().fromAnotherProgram ? service.EmitAsAnotherProgram(forged)
                                            : service.Emit(forged));
  // The user's own click still counts, and only it.
  service.Click(id, "show");
  ASSERT_TRUE(service.Caught(QDBusConnection::sessionBus(), kReplyMs));
  EXPECT_EQ(actions, Lines{"show 127.0.0.1:27961"});
}

INSTANTIATE_TEST_SUITE_P(
    Signals, AnnouncerForgedSignalTest,
    ::testing::Values(
        ForgedCase{
            "another program's Join", true, "ActionInvoked", {kOurs, QStringLiteral("join")}},
        ForgedCase{"another program's close", true, "NotificationClosed", {kOurs, 2u}},
        ForgedCase{
            "the arguments swapped", false, "ActionInvoked", {QStringLiteral("join"), kOurs}},
        ForgedCase{"no action", false, "ActionInvoked", {kOurs}},
        ForgedCase{"a signed id", false, "ActionInvoked", {-1, QStringLiteral("join")}},
        ForgedCase{"an extra argument",
                   false,
                   "ActionInvoked",
                   {kOurs, QStringLiteral("join"), QStringLiteral("more")}}));

TEST_F(AnnouncerTest, AServiceThatDoesNotAnswerCostsOneBalloonAfterTheBound) {
  ASSERT_TRUE(RegisterService());
  ASSERT_NE(ShowOne(), 0u);
  service.holdNotify = true;
  announcer->Notifier().SetReplyBound(std::chrono::milliseconds{1});
  announcer->Announce(kOther, 0, "Other", "Players online: B");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !balloons.empty(); }, kReplyMs));
  EXPECT_EQ(balloons, Lines{"0 Other | Players online: B"});

  // Answered at last: the balloon has shown it, the notification goes.
  service.AnswerHeld();
  const uint late = service.shown.back().Id;
  ASSERT_TRUE(QTest::qWaitFor([&] { return !service.closed.empty(); }, kReplyMs));
  EXPECT_EQ(service.closed, std::vector<uint>{late});
  service.Click(late, "join");
  ASSERT_TRUE(service.Caught(QDBusConnection::sessionBus(), kReplyMs));
  EXPECT_TRUE(actions.empty());
  EXPECT_EQ(balloons.size(), 1u);
}

TEST_F(AnnouncerTest, CapabilitiesThatNeverComeCostOneBalloonAfterTheBound) {
  service.holdCapabilities = true;
  ASSERT_TRUE(RegisterService());
  announcer->Notifier().SetReplyBound(std::chrono::milliseconds{1});
  announcer->Announce(kArena, 0, "Arena", "Players online: A");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !balloons.empty(); }, kReplyMs));
  EXPECT_EQ(balloons, Lines{"0 Arena | Players online: A"});
  EXPECT_TRUE(service.shown.empty());
}

TEST_F(AnnouncerTest, NotificationsUnansweredAtExitAreDropped) {
  ASSERT_TRUE(RegisterService());
  ASSERT_NE(ShowOne(), 0u);
  service.holdNotify = true;
  announcer->Announce(kOther, 0, "Other", "Players online: B");
  announcer.reset();
  service.AnswerHeld();
  ASSERT_TRUE(service.Caught(QDBusConnection::sessionBus(), kReplyMs));
  EXPECT_TRUE(balloons.empty());
}

TEST(AnnouncerOnAStalledBusTest, AnnouncingDoesNotWaitForTheBus) {
  PrivateBus daemon;
  ASSERT_FALSE(daemon.Address().isEmpty()) << "dbus-daemon did not start";
  FakeNotificationService service(daemon.Address());
  ASSERT_TRUE(service.Register());
  const QDBusConnection bus = QDBusConnection::connectToBus(daemon.Address(), "stalled");
  Lines balloons;
  TAnnouncer::THooks hooks;
  hooks.Balloon = [&](int32_t, const std::string& title, const std::string& text) {
    balloons.push_back(title + " | " + text);
  };
  hooks.Action = [](const QString&, const std::optional<TAddressKey>&) {};
  hooks.Enabled = [] { return true; };
  hooks.Now = [] { return TAnnouncer::TimePoint{} + std::chrono::hours{1}; };
  {
    TAnnouncer announcer(bus, std::move(hooks), nullptr);
    announcer.Announce(kArena, 0, "Arena", "one");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !service.shown.empty(); }, kReplyMs));
    ASSERT_TRUE(service.Caught(bus, kReplyMs));

    announcer.Notifier().SetReplyBound(std::chrono::milliseconds{1});
    ASSERT_TRUE(daemon.Stop());
    announcer.Announce(kOther, 0, "Other", "two");
    // Asking the stalled bus whether the service runs would have waited for
    // it, and then shown the balloon at once.
    EXPECT_TRUE(balloons.empty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !balloons.empty(); }, kReplyMs));
    EXPECT_EQ(balloons, Lines{"Other | two"});
    ASSERT_TRUE(daemon.Continue());
  }
  QDBusConnection::disconnectFromBus("stalled");
}

} // namespace
