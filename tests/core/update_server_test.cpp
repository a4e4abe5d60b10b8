#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "update/UpdateServer.h"

namespace {

struct ServerCase {
  std::string text;
  std::optional<std::string> host; // nothing: refused
  uint16_t port = 80;
};

class ParseUpdateServerTest : public ::testing::TestWithParam<ServerCase> {};

TEST_P(ParseUpdateServerTest, ReadsHostAndPort) {
  const ServerCase& c = GetParam();
  const auto server = ParseUpdateServer(c.text);
  ASSERT_EQ(server.has_value(), c.host.has_value()) << c.text;
  if (server) {
    EXPECT_EQ(server->Host, *c.host);
    EXPECT_EQ(server->Port, c.port);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseUpdateServerTest,
    ::testing::Values(ServerCase{"www.example.org", "www.example.org", 80},
                      ServerCase{"127.0.0.1:8080", "127.0.0.1", 8080},
                      ServerCase{"updates.example.org:65535", "updates.example.org", 65535},
                      ServerCase{"[::1]:8080", "::1", 8080}, ServerCase{"[::1]", "::1", 80},
                      ServerCase{"", std::nullopt}, ServerCase{":80", std::nullopt},
                      ServerCase{"host:", std::nullopt}, ServerCase{"host:0", std::nullopt},
                      ServerCase{"host:65536", std::nullopt}, ServerCase{"host:80x", std::nullopt},
                      ServerCase{"host:-1", std::nullopt}, ServerCase{"::1", std::nullopt},
                      ServerCase{"[::1", std::nullopt}, ServerCase{"[::1]x", std::nullopt},
                      // Nothing that could end the request line or start a path.
                      ServerCase{"host\r\nX-Evil: 1", std::nullopt},
                      ServerCase{"host name", std::nullopt}, ServerCase{"host/path", std::nullopt},
                      ServerCase{"user@host", std::nullopt}));

class ScopedEnvironment {
public:
  explicit ScopedEnvironment(const char* name) : name_(name) {
    if (const char* value = std::getenv(name))
      saved_ = value;
  }
  ~ScopedEnvironment() {
    if (saved_)
      setenv(name_, saved_->c_str(), 1);
    else
      unsetenv(name_);
  }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
  const char* name_;
  std::optional<std::string> saved_;
};

TEST(ConfiguredUpdateServerTest, EnvironmentOverridesTheBuildOptionEvenWhenEmpty) {
  ScopedEnvironment restore("SKARVEL_UPDATE_HOST");
  unsetenv("SKARVEL_UPDATE_HOST");
  ASSERT_TRUE(ConfiguredUpdateServer("built.example.org:81"));
  EXPECT_EQ(ConfiguredUpdateServer("built.example.org:81")->Host, "built.example.org");
  EXPECT_FALSE(ConfiguredUpdateServer(""));

  setenv("SKARVEL_UPDATE_HOST", "127.0.0.1:8000", 1);
  const auto server = ConfiguredUpdateServer("built.example.org");
  ASSERT_TRUE(server);
  EXPECT_EQ(server->Host, "127.0.0.1");
  EXPECT_EQ(server->Port, 8000);

  setenv("SKARVEL_UPDATE_HOST", "", 1);
  EXPECT_FALSE(ConfiguredUpdateServer("built.example.org"));
}

TEST(UpdateRequestTest, TheFourLinesAndAnEmptyOneEndedByCrLf) {
  EXPECT_EQ(UpdateRequest({"www.example.org", 80}),
            "GET /skarvel.htm HTTP/1.1\r\nHost: www.example.org\r\nAccept: */*\r\n"
            "Connection: close\r\n\r\n");
  EXPECT_NE(UpdateRequest({"127.0.0.1", 8080}).find("\r\nHost: 127.0.0.1:8080\r\n"),
            std::string::npos);
  EXPECT_NE(UpdateRequest({"::1", 8080}).find("\r\nHost: [::1]:8080\r\n"), std::string::npos);
}

} // namespace
