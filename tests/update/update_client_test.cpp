// The real client against a web server of ours on loopback: each kind of
// server ends the check as it should, within the check's bounds.
#include <QElapsedTimer>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>

#include "app/UpdateClient.h"
#include "tests/support/ScopedLocale.h"
#include "tests/update/LocalWebServer.h"
#include "tests/update/Pages.h"
#include "update/NewsDate.h"

namespace {

using namespace std::chrono_literals;

TDateTime Date(const char* iso) {
  return *ReadNewsDate(iso);
}

// Waits far longer than any check may take; the bound is what is tested.
constexpr int kGenerousWaitMs = 60000;

struct ServerCase {
  const char* name;
  TLocalWebServer::TBehaviour behaviour;
  TUpdateFailure failure;
  std::string news;
  std::chrono::milliseconds bound = TUpdateClient::kDefaultTimeBound;
};

struct Finished {
  TUpdateOutcome outcome;
  qint64 elapsedMs;
};

std::optional<Finished> RunCheck(const std::string& address, std::chrono::milliseconds bound,
                                 TDateTime lastCheck = Date("2007-04-13")) {
  TUpdateClient client;
  client.SetTimeBound(bound);
  std::optional<Finished> finished;
  QElapsedTimer clock;
  clock.start();
  const auto server = ParseUpdateServer(address);
  EXPECT_TRUE(server);
  EXPECT_TRUE(client.Start(*server, lastCheck, [&](TUpdateOutcome outcome) {
    EXPECT_FALSE(finished) << "a second outcome";
    finished = Finished{std::move(outcome), clock.elapsed()};
  }));
  EXPECT_TRUE(client.Running());
  // A second check waits for the first to end.
  EXPECT_FALSE(client.Start(*server, lastCheck, [](const TUpdateOutcome&) {}));
  EXPECT_TRUE(QTest::qWaitFor([&] { return finished.has_value(); }, kGenerousWaitMs));
  EXPECT_FALSE(client.Running());
  return finished;
}

class UpdateClientTest : public ::testing::TestWithParam<ServerCase> {};

TEST_P(UpdateClientTest, EndsAsTheServerDeserves) {
  const ServerCase& c = GetParam();
  TLocalWebServer server(c.behaviour);
  const auto finished = RunCheck(server.Address(), c.bound);
  ASSERT_TRUE(finished) << "no outcome within " << kGenerousWaitMs << " ms";
  EXPECT_EQ(finished->outcome.Failure, c.failure) << UpdateFailureText(finished->outcome.Failure);
  EXPECT_EQ(finished->outcome.News, c.news);
  EXPECT_EQ(server.Connections(), 1);
  if (c.failure == TUpdateFailure::TimedOut) {
    // A stalled check ends by the time bound, never before it.
    EXPECT_GE(finished->elapsedMs, c.bound.count());
  }
  std::printf("[ measured ] %s ended after %lld ms (bound %lld ms)\n", c.name,
              static_cast<long long>(finished->elapsedMs), static_cast<long long>(c.bound.count()));
}

const QByteArray kHeadOfEndlessNews = pages::Ok("<html>\r\nCurrent Skarvel version: 2.6\r\n");

INSTANTIATE_TEST_SUITE_P(
    Servers, UpdateClientTest,
    ::testing::Values(
        ServerCase{"TwoNewEntries", TLocalWebServer::Serve(pages::IsoNews("\r\n")),
                   TUpdateFailure::None, pages::kIsoNewsText},
        ServerCase{"LfPage", TLocalWebServer::Serve(pages::IsoNews("\n")), TUpdateFailure::None,
                   pages::kIsoNewsText},
        ServerCase{"PageInSmallPieces", TLocalWebServer::Serve(pages::IsoNews(), 3),
                   TUpdateFailure::None, pages::kIsoNewsText},
        ServerCase{"NoNews", TLocalWebServer::Serve(pages::NoNews()), TUpdateFailure::None, ""},
        // Decided at the status line; the server need not close.
        ServerCase{"NotFound",
                   TLocalWebServer::SendAndStayOpen(
                       "HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\n\r\n"
                       "<html><body>Not Found</body></html>\r\n"),
                   TUpdateFailure::NotOk, ""},
        ServerCase{
            "Garbage",
            TLocalWebServer::SendAndStayOpen(
                QByteArray("\x16\x03\x01\x02\x00\x01\xfc\x03\x03\r\n\xff\xfe", 13).repeated(300)),
            TUpdateFailure::NotAPage, ""},
        ServerCase{"ClosesEarly",
                   TLocalWebServer::Serve(pages::IsoNews().left(pages::IsoNews().size() / 2)),
                   TUpdateFailure::PageIncomplete, ""},
        ServerCase{"ClosesWithoutAnswer", TLocalWebServer::Serve(""),
                   TUpdateFailure::PageIncomplete, ""},
        ServerCase{"SendsForEver", TLocalWebServer::SendForever(kHeadOfEndlessNews),
                   TUpdateFailure::TooLong, ""},
        ServerCase{"Stalls", TLocalWebServer::Stall(), TUpdateFailure::TimedOut, "", 1500ms},
        ServerCase{"OneByteAtATime", TLocalWebServer::Trickle(pages::IsoNews(), 100),
                   TUpdateFailure::TimedOut, "", 1500ms}),
    [](const ::testing::TestParamInfo<ServerCase>& param) {
      return std::string(param.param.name);
    });

TEST(UpdateClientRequestTest, SendsTheRequestLinesWithItsHostAndPort) {
  TLocalWebServer server(TLocalWebServer::Serve(pages::NoNews()));
  ASSERT_TRUE(RunCheck(server.Address(), TUpdateClient::kDefaultTimeBound));
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].toStdString(),
            "GET /skarvel.htm HTTP/1.1\r\nHost: " + server.Address() +
                "\r\nAccept: */*\r\nConnection: close\r\n\r\n");
}

TEST(UpdateClientRequestTest, RefusedConnectionIsUnreachable) {
  const TRefusingPort refusing;
  const auto finished = RunCheck(refusing.Address(), TUpdateClient::kDefaultTimeBound);
  ASSERT_TRUE(finished);
  EXPECT_EQ(finished->outcome.Failure, TUpdateFailure::Unreachable);
}

TEST(UpdateClientRequestTest, UsersShortDatesOnTheWire) {
  ScopedLocale german("de_DE.UTF-8");
  if (!german.active())
    GTEST_SKIP() << "de_DE.UTF-8 is not installed";
  TLocalWebServer server(
      TLocalWebServer::Serve(pages::News("20.05.2007", "10.05.2007", "01.04.2007")));
  const auto finished = RunCheck(server.Address(), TUpdateClient::kDefaultTimeBound);
  ASSERT_TRUE(finished);
  EXPECT_TRUE(finished->outcome.Succeeded()) << UpdateFailureText(finished->outcome.Failure);
  EXPECT_EQ(finished->outcome.News,
            "20.05.2007\nSkarvel 2.6 released\n10.05.2007\nA new plug-in\n");
}

} // namespace
