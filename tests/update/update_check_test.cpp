// The check as the user meets it: the automatic one from the cycle tick and
// the manual one from "Check now", against a web server of ours on loopback.
#include <gtest/gtest.h>

#include <chrono>

#include "app/dm.h"
#include "tests/update/LocalWebServer.h"
#include "tests/update/Pages.h"
#include "tests/update/UpdateCheckFixture.h"

namespace {

using namespace std::chrono_literals;

TEST_F(UpdateCheckTest, ManualCheckWithNewsOffersTheHomepageAndStoresTheDay) {
  TLocalWebServer server(TLocalWebServer::Serve(pages::IsoNews()));
  UseServer(server.Address());
  QWidget dialog;
  int finished = 0;
  ASSERT_TRUE(check_.CheckManually(&dialog, [&] { ++finished; }));
  EXPECT_EQ(dialog.cursor().shape(), Qt::BusyCursor);

  QMessageBox* box = WaitForMessage(&dialog);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->windowTitle(), "Skarvel");
  EXPECT_EQ(box->icon(), QMessageBox::Information);
  EXPECT_EQ(box->text(),
            "The following software updates are available. Shall I proceed to the "
            "homepage?\n\n2007-05-20\nSkarvel 2.6 released\n2007-05-10\nA new plug-in");
  EXPECT_EQ(box->textFormat(), Qt::PlainText);
  // Stored before the user answers, in the file at once.
  EXPECT_EQ(AppSettings.LastUpdate, Today());
  EXPECT_EQ(StoredLastUpdate(), Today());
  EXPECT_NE(dialog.cursor().shape(), Qt::BusyCursor);
  EXPECT_EQ(finished, 0);

  Answer(box, QMessageBox::Yes);
  EXPECT_EQ(homepageOpened_, 1);
  EXPECT_EQ(finished, 1);
}

TEST_F(UpdateCheckTest, NewsAnsweredNoLeaveTheHomepageClosed) {
  TLocalWebServer server(TLocalWebServer::Serve(pages::IsoNews()));
  UseServer(server.Address());
  QWidget dialog;
  int finished = 0;
  ASSERT_TRUE(check_.CheckManually(&dialog, [&] { ++finished; }));
  QMessageBox* box = WaitForMessage(&dialog);
  ASSERT_TRUE(box);
  Answer(box, QMessageBox::No);
  EXPECT_EQ(homepageOpened_, 0);
  EXPECT_EQ(finished, 1);
}

struct ManualCase {
  const char* name;
  bool serverConfigured;
  TLocalWebServer::TBehaviour behaviour;
  QMessageBox::Icon icon;
  QString text;
  bool stored;
};

class ManualOutcomeTest : public UpdateCheckTest,
                          public ::testing::WithParamInterface<ManualCase> {};

TEST_P(ManualOutcomeTest, SaysWhatCameOfIt) {
  const ManualCase& c = GetParam();
  TLocalWebServer server(c.behaviour);
  UseServer(c.serverConfigured ? server.Address() : "");
  QWidget dialog;
  int finished = 0;
  ASSERT_TRUE(check_.CheckManually(&dialog, [&] { ++finished; }));
  QMessageBox* box = WaitForMessage(&dialog);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->icon(), c.icon);
  EXPECT_EQ(box->text(), c.text);
  EXPECT_EQ(StoredLastUpdate(), c.stored ? Today() : -1);
  EXPECT_EQ(server.Connections(), c.serverConfigured ? 1 : 0);
  Answer(box, QMessageBox::Ok);
  EXPECT_EQ(finished, 1);
  EXPECT_EQ(homepageOpened_, 0);
  EXPECT_FALSE(check_.Running());
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, ManualOutcomeTest,
    ::testing::Values(
        ManualCase{"NoNews", true, TLocalWebServer::Serve(pages::NoNews()),
                   QMessageBox::Information, "The application is up-to-date.", true},
        ManualCase{"NotFound", true,
                   TLocalWebServer::Serve("HTTP/1.1 404 Not Found\r\n\r\n<html></html>\r\n"),
                   QMessageBox::Critical, "Could not connect to " + Tdm::Homepage() + ".", false},
        ManualCase{"NoServerConfigured", false, TLocalWebServer::Stall(), QMessageBox::Warning,
                   "No update server is configured.", false}),
    [](const ::testing::TestParamInfo<ManualCase>& param) {
      return std::string(param.param.name);
    });

TEST_F(UpdateCheckTest, ManualCheckOfAnUnreachableServerSaysSo) {
  const TRefusingPort refusing;
  UseServer(refusing.Address());
  QWidget dialog;
  ASSERT_TRUE(check_.CheckManually(&dialog, [] {}));
  QMessageBox* box = WaitForMessage(&dialog);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->icon(), QMessageBox::Critical);
  EXPECT_EQ(box->text(), "Could not connect to " + Tdm::Homepage() + ".");
}

// The day count must pass "CheckUpdates" before the automatic check asks.
TEST_F(UpdateCheckTest, AutomaticCheckWaitsForMoreThanCheckUpdatesDays) {
  TLocalWebServer server(TLocalWebServer::Serve(pages::NoNews()));
  UseServer(server.Address());
  AppSettings.CheckUpdates = 30;
  AppSettings.LastUpdate = Today() - 30;
  check_.CheckAutomaticallyIfDue();
  EXPECT_FALSE(check_.Running());
  AppSettings.CheckUpdates = 0;
  AppSettings.LastUpdate = LastCheck();
  check_.CheckAutomaticallyIfDue();
  EXPECT_FALSE(check_.Running());

  AppSettings.CheckUpdates = 30;
  AppSettings.LastUpdate = Today() - 31;
  check_.CheckAutomaticallyIfDue();
  EXPECT_TRUE(check_.Running());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !check_.Running(); }, 60000));
  EXPECT_EQ(server.Connections(), 1);
  // No news: stored, nothing shown.
  EXPECT_EQ(StoredLastUpdate(), Today());
  QTest::qWait(0);
  EXPECT_EQ(Message(), nullptr);
  check_.CheckAutomaticallyIfDue();
  EXPECT_FALSE(check_.Running());
}

TEST_F(UpdateCheckTest, AutomaticNewsComeInAMessageOfTheirOwn) {
  TLocalWebServer server(TLocalWebServer::Serve(pages::IsoNews()));
  UseServer(server.Address());
  check_.CheckAutomaticallyIfDue();
  QMessageBox* box = WaitForMessage();
  ASSERT_TRUE(box);
  EXPECT_TRUE(box->text().endsWith("2007-05-20\nSkarvel 2.6 released\n2007-05-10\nA new plug-in"));
  EXPECT_EQ(StoredLastUpdate(), Today());
  Answer(box, QMessageBox::Yes);
  EXPECT_EQ(homepageOpened_, 1);
}

TEST_F(UpdateCheckTest, FailedAutomaticCheckShowsNothingAndWaitsBeforeTheNext) {
  TLocalWebServer server(
      TLocalWebServer::SendAndStayOpen("HTTP/1.1 503 Service Unavailable\r\n\r\n"));
  UseServer(server.Address());
  check_.CheckAutomaticallyIfDue();
  ASSERT_TRUE(check_.Running());
  ASSERT_TRUE(QTest::qWaitFor([&] { return !check_.Running(); }, 60000));
  QTest::qWait(0);
  EXPECT_EQ(Message(), nullptr);
  EXPECT_EQ(StoredLastUpdate(), -1);
  EXPECT_EQ(AppSettings.LastUpdate, LastCheck());

  // The next cycle ticks leave the server alone...
  check_.CheckAutomaticallyIfDue();
  check_.CheckAutomaticallyIfDue();
  EXPECT_FALSE(check_.Running());
  EXPECT_EQ(server.Connections(), 1);
  // ...while the user may always ask.
  QWidget dialog;
  ASSERT_TRUE(check_.CheckManually(&dialog, [] {}));
  ASSERT_TRUE(WaitForMessage(&dialog));
  EXPECT_EQ(server.Connections(), 2);
}

TEST_F(UpdateCheckTest, OneCheckAtATimeAndAManualRequestJoinsARunningOne) {
  TLocalWebServer server(TLocalWebServer::Stall());
  UseServer(server.Address());
  check_.SetTimeBound(1500ms);
  check_.CheckAutomaticallyIfDue();
  ASSERT_TRUE(QTest::qWaitFor([&] { return server.Connections() == 1; }, 60000));
  check_.CheckAutomaticallyIfDue();

  QWidget dialog;
  int finished = 0;
  ASSERT_TRUE(check_.CheckManually(&dialog, [&] { ++finished; }));
  EXPECT_FALSE(check_.CheckManually(&dialog, [&] { ++finished; }));
  EXPECT_EQ(dialog.cursor().shape(), Qt::BusyCursor);
  // The automatic check ends by its bound and reports to the user who asked.
  QMessageBox* box = WaitForMessage(&dialog);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->icon(), QMessageBox::Critical);
  EXPECT_EQ(server.Connections(), 1);
  Answer(box, QMessageBox::Ok);
  EXPECT_EQ(finished, 1);
}

TEST_F(UpdateCheckTest, OverlongNewsAreCutForTheMessage) {
  QByteArray body = "<html>\nCurrent Skarvel version: 2.6\n2007-05-20\n";
  body += QByteArray(5000, 'w') + "\n";
  for (int i = 0; i < 100; ++i)
    body += "line " + QByteArray::number(i) + "\n";
  TLocalWebServer server(TLocalWebServer::Serve(pages::Ok(body + "</html>\n")));
  UseServer(server.Address());
  QWidget dialog;
  ASSERT_TRUE(check_.CheckManually(&dialog, [] {}));
  QMessageBox* box = WaitForMessage(&dialog);
  ASSERT_TRUE(box);
  const QStringList lines = box->text().split('\n');
  EXPECT_LT(lines.size(), 50);
  EXPECT_EQ(lines.constLast(), "...");
  for (const QString& line : lines)
    EXPECT_LE(line.size(), 210);
}

} // namespace
