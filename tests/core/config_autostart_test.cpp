#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "config/Autostart.h"
#include "tests/support/TempDir.h"
#include "util/app_dir.h"

namespace {

// Puts an environment variable back as it was.
class SavedEnv {
public:
  explicit SavedEnv(const char* name) : name_(name) {
    if (const char* value = std::getenv(name))
      value_ = value;
  }
  ~SavedEnv() {
    if (value_)
      setenv(name_, value_->c_str(), 1);
    else
      unsetenv(name_);
  }
  SavedEnv(const SavedEnv&) = delete;
  SavedEnv& operator=(const SavedEnv&) = delete;

private:
  const char* name_;
  std::optional<std::string> value_;
};

class AutostartTest : public ::testing::Test {
protected:
  void SetUp() override { setenv("XDG_CONFIG_HOME", tmp.file("config").c_str(), 1); }
  std::string Entry() const { return tmp.file("config/autostart/skarvel.desktop"); }

  SavedEnv savedConfig{"XDG_CONFIG_HOME"};
  SavedEnv savedHome{"HOME"};
  TempDir tmp;
};

TEST_F(AutostartTest, EntryPathFollowsTheXdgRules) {
  struct Case {
    const char* config; // nullptr: unset
    const char* home;
    const char* expected;
  };
  const Case cases[] = {
      {"/cfg", "/home/u", "/cfg/autostart/skarvel.desktop"},
      {nullptr, "/home/u", "/home/u/.config/autostart/skarvel.desktop"},
      {"", "/home/u", "/home/u/.config/autostart/skarvel.desktop"},
      {"relative/cfg", "/home/u", "/home/u/.config/autostart/skarvel.desktop"},
      {"/cfg", nullptr, "/cfg/autostart/skarvel.desktop"},
      {nullptr, nullptr, ""},
      {"relative", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.config ? c.config : "(unset)") + " " +
                 (c.home ? c.home : "(unset)"));
    c.config ? setenv("XDG_CONFIG_HOME", c.config, 1) : unsetenv("XDG_CONFIG_HOME");
    c.home ? setenv("HOME", c.home, 1) : unsetenv("HOME");
    EXPECT_EQ(AutostartEntryPath(), c.expected);
  }
  EXPECT_EQ(ReadAutostart(), std::nullopt); // nowhere to look
  WriteAutostart(true);                     // and nothing to do
}

TEST_F(AutostartTest, WriteCreatesAndRemovesTheEntry) {
  EXPECT_EQ(ReadAutostart(), std::optional<bool>(false));

  WriteAutostart(true); // the autostart folder does not exist yet
  EXPECT_EQ(ReadAutostart(), std::optional<bool>(true));
  std::ifstream in(Entry());
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(text, "[Desktop Entry]\n"
                  "Type=Application\n"
                  "Name=Skarvel\n"
                  "Exec=" +
                      DesktopExecValue(ExecutablePath()) +
                      "\n"
                      "X-GNOME-Autostart-enabled=true\n");
  EXPECT_NE(ExecutablePath(), "");

  WriteAutostart(true); // again: replaced, no temporary file left behind
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(tmp.path() / "config/autostart"))
    files += entry.path().filename() == "skarvel.desktop" ? 1 : 100;
  EXPECT_EQ(files, 1);

  WriteAutostart(false);
  EXPECT_FALSE(std::filesystem::exists(Entry()));
  EXPECT_EQ(ReadAutostart(), std::optional<bool>(false));
  WriteAutostart(false); // removing a missing entry is no error
  EXPECT_EQ(ReadAutostart(), std::optional<bool>(false));
}

TEST_F(AutostartTest, AnyEntryCountsAsOn) {
  std::filesystem::create_directories(tmp.path() / "config/autostart");
  tmp.write("config/autostart/skarvel.desktop", "");
  EXPECT_EQ(ReadAutostart(), std::optional<bool>(true));
}

TEST_F(AutostartTest, ExecValueQuotesAndEscapesReservedCharacters) {
  struct Case {
    const char* program;
    const char* exec; // as it stands in the file
  };
  const Case cases[] = {
      {"/usr/bin/skarvel", "/usr/bin/skarvel"},
      {"/opt/My Games/skarvel", "\"/opt/My Games/skarvel\""},
      {"/opt/it's/skarvel", "\"/opt/it's/skarvel\""},
      {"/opt/a$b/skarvel", "\"/opt/a\\\\$b/skarvel\""},
      {"/opt/a\"b/skarvel", "\"/opt/a\\\\\"b/skarvel\""},
      {"/opt/a\\b/skarvel", "\"/opt/a\\\\\\\\b/skarvel\""},
      {"/opt/100%/skarvel", "/opt/100%%/skarvel"},
      {"/opt/a\nb", "\"/opt/a\\nb\""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program);
    EXPECT_EQ(DesktopExecValue(c.program), c.exec);
  }
}

} // namespace
