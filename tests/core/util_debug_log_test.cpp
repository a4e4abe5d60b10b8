#include "util/debug_log.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr std::size_t kStampLength = 13; // "hh:nn:ss.zzz "

// "hh:nn:ss.zzz " with hours 00..23.
bool IsStamp(const std::string& s) {
  if (s.size() != kStampLength)
    return false;
  for (std::size_t i : {0, 1, 3, 4, 6, 7, 9, 10, 11})
    if (s[i] < '0' || s[i] > '9')
      return false;
  return s[2] == ':' && s[5] == ':' && s[8] == '.' && s[12] == ' ' &&
         std::stoi(s.substr(0, 2)) < 24 && s[3] <= '5' && s[6] <= '5';
}

TEST(DebugSwitchTest, HasDebugSwitchNeedsOneDashOrSlashAndDebug) {
  const struct {
    std::vector<std::string> args;
    bool expected;
  } cases[] = {
      {{"-DEBUG"}, true},
      {{"/DEBUG"}, true},
      {{"-Debug"}, true},
      {{"/debug"}, true},
      {{"skarvel", "-x", "-debug"}, true},
      {{}, false},
      {{"DEBUG"}, false},
      {{"--debug"}, false},
      {{"//DEBUG"}, false},
      {{"-DEBUGX"}, false},
      {{"-DEBU"}, false},
      {{"-DEBUG "}, false},
      {{"+DEBUG"}, false},
      {{"\\DEBUG"}, false},
      {{"-"}, false},
      {{""}, false},
  };
  for (const auto& c : cases) {
    std::string joined;
    for (const auto& arg : c.args)
      joined += "[" + arg + "]";
    EXPECT_EQ(HasDebugSwitch(c.args), c.expected) << joined;
  }
}

// Runs each test in a scratch folder as the current folder, with a given
// debug switch, and restores folder and switch afterwards.
class DebugLogTest : public ::testing::Test {
protected:
  void SetUp() override {
    savedSwitch_ = DebugSwitch();
    char buffer[PATH_MAX];
    ASSERT_NE(getcwd(buffer, sizeof buffer), nullptr);
    savedCwd_ = buffer;
    ASSERT_EQ(chdir(dir_.path().c_str()), 0);
  }
  void TearDown() override {
    EXPECT_EQ(chdir(savedCwd_.c_str()), 0);
    SetDebugSwitch(savedSwitch_);
  }

  TempDir dir_;

private:
  bool savedSwitch_ = false;
  std::string savedCwd_;
};

TEST_F(DebugLogTest, WritesNothingWhileTheSwitchIsOff) {
  SetDebugSwitch(false);
  DebugLog("quiet");
  EXPECT_FALSE(dir_.exists("skarvel.err"));
}

TEST_F(DebugLogTest, AppendsTimeStampedLinesToTheErrorFile) {
  SetDebugSwitch(true);
  dir_.write("skarvel.err", "earlier line\n");
  DebugLog("first");
  DebugLog("100% %s %n %d"); // written as it stands, never as a format
  DebugLog(std::string("nul\0inside", 10));
  DebugLog("");

  const std::string content = dir_.read("skarvel.err");
  const std::vector<std::string> texts = {"first", "100% %s %n %d", std::string("nul\0inside", 10),
                                          ""};
  const std::string earlier = "earlier line\n";
  ASSERT_EQ(content.compare(0, earlier.size(), earlier), 0) << content;
  std::size_t pos = earlier.size();
  for (const std::string& text : texts) {
    ASSERT_LE(pos + kStampLength + text.size() + 1, content.size()) << content;
    EXPECT_TRUE(IsStamp(content.substr(pos, kStampLength))) << content.substr(pos);
    EXPECT_EQ(content.substr(pos + kStampLength, text.size() + 1), text + "\n");
    pos += kStampLength + text.size() + 1;
  }
  EXPECT_EQ(pos, content.size()) << content;
}

TEST_F(DebugLogTest, TimeIsLocalWallClock) {
  // A zone far from UTC shows whether the stamp is local time.
  const char* oldTz = std::getenv("TZ");
  const std::optional<std::string> savedTz =
      oldTz ? std::optional<std::string>(oldTz) : std::nullopt;
  setenv("TZ", "XST-13", 1);
  tzset();

  SetDebugSwitch(true);
  // The clock the stamp reads: time() may lag it by a tick at a second's turn.
  const auto wallSeconds = [] {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec;
  };
  const std::time_t before = wallSeconds();
  DebugLog("x");
  const std::time_t after = wallSeconds();

  if (savedTz)
    setenv("TZ", savedTz->c_str(), 1);
  else
    unsetenv("TZ");
  tzset();

  const std::string line = dir_.read("skarvel.err");
  ASSERT_GE(line.size(), 8u);
  const int logged = std::stoi(line.substr(0, 2)) * 3600 + std::stoi(line.substr(3, 2)) * 60 +
                     std::stoi(line.substr(6, 2));
  // Seconds of the local day at 'before', allowing for the clock moving on.
  const long local = (static_cast<long>(before) + 13 * 3600) % 86400;
  const long elapsed = static_cast<long>(after - before);
  const long offset = ((logged - local) % 86400 + 86400) % 86400;
  EXPECT_LE(offset, elapsed) << line;
}

// A flood of datagrams once grew the trace without bound.
TEST_F(DebugLogTest, TheTraceMovesToSkarvelErr1AtTenMebibytes) {
  SetDebugSwitch(true);
  // Lines as long as the trace takes them, just filling the file.
  const std::size_t lineLength = kTraceLineLimit;
  static_assert(kTraceLimitBytes % kTraceLineLimit == 0);
  const std::string text(lineLength - kStampLength - 1, 'x');
  for (std::size_t i = 0; i < kTraceLimitBytes / lineLength; ++i)
    DebugLog(text);
  EXPECT_EQ(std::filesystem::file_size(dir_.path() / "skarvel.err"), kTraceLimitBytes);
  EXPECT_FALSE(dir_.exists("skarvel.err.1"));

  DebugLog("next");
  EXPECT_EQ(std::filesystem::file_size(dir_.path() / "skarvel.err.1"), kTraceLimitBytes);
  const std::string fresh = dir_.read("skarvel.err");
  EXPECT_EQ(fresh.size(), kStampLength + 5);
  EXPECT_TRUE(fresh.ends_with(" next\n")) << fresh;
}

// A plug-in's 100 MB packet once became one 100 MB line.
TEST_F(DebugLogTest, ALongTextIsCutAndSaysHowMuchWasCut) {
  SetDebugSwitch(true);
  DebugLog(std::string(kTraceLineLimit, 'a'));
  DebugLog(std::string(100 * 1024 * 1024, 'b'));
  const std::string trace = dir_.read("skarvel.err");
  const std::size_t firstEnd = trace.find('\n');
  ASSERT_NE(firstEnd, std::string::npos);
  EXPECT_EQ(firstEnd, kStampLength + kTraceLineLimit);
  const std::string second = trace.substr(firstEnd + 1);
  EXPECT_EQ(second.size(), kStampLength + kTraceLineLimit +
                               std::string(" ... (104841216 more bytes cut)\n").size());
  EXPECT_TRUE(second.ends_with(std::string(10, 'b') + " ... (104841216 more bytes cut)\n"))
      << second.substr(second.size() - 60);
}

TEST_F(DebugLogTest, RaisesWhenTheFileCannotBeWritten) {
  SetDebugSwitch(true);
  std::filesystem::create_directory(dir_.path() / "skarvel.err");
  EXPECT_THROW(DebugLog("lost"), std::runtime_error);
}

} // namespace
