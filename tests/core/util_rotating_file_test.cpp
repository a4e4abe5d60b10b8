#include "util/rotating_file.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

namespace {

class RotatingFileTest : public ::testing::Test {
protected:
  // The file's content; nothing when it does not exist.
  std::optional<std::string> Content(const std::string& name) const {
    if (!dir.exists(name))
      return std::nullopt;
    return dir.read(name);
  }

  // How many of this process's descriptors are open on the file.
  static int DescriptorsOpenOn(const std::string& file) {
    const std::filesystem::path target = std::filesystem::canonical(file);
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
      std::error_code error;
      if (std::filesystem::read_symlink(entry.path(), error) == target)
        ++count;
    }
    return count;
  }

  TempDir dir;
  const std::string path = dir.file("trace.err");
};

// A busy trace once opened and closed the file for every line.
TEST_F(RotatingFileTest, KeepsTheFileOpenBetweenLines) {
  TRotatingFile file(path, 1000);
  for (int i = 0; i < 50; ++i)
    file.Append("line\n");
  EXPECT_EQ(DescriptorsOpenOn(path), 1);
  EXPECT_EQ(Content("trace.err")->size(), 50u * 5u);
  file.Append(std::string(800, 'x') + "\n"); // rotates
  EXPECT_EQ(DescriptorsOpenOn(path), 1);
  EXPECT_EQ(DescriptorsOpenOn(dir.file("trace.err.1")), 0);
}

// The path is what the user looks at: when something else takes the open file
// away, the next line goes to a file at the path again, not to the old one.
TEST_F(RotatingFileTest, FollowsThePathWhenTheOpenFileIsTakenAway) {
  struct Case {
    std::string name;
    void (*takeAway)(const std::string& path);
    std::string file;                 // afterwards
    std::optional<std::string> moved; // "trace.err.old" afterwards
  };
  const std::vector<Case> cases = {
      {"removed", [](const std::string& p) { std::filesystem::remove(p); }, "after\n",
       std::nullopt},
      {"moved aside", [](const std::string& p) { std::filesystem::rename(p, p + ".old"); },
       "after\n", "before\n"},
      {"replaced",
       [](const std::string& p) {
         std::filesystem::rename(p, p + ".old");
         std::ofstream(p) << "new\n";
       },
       "new\nafter\n", "before\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::filesystem::remove(path);
    std::filesystem::remove(path + ".old");
    TRotatingFile file(path, 1000);
    file.Append("before\n");
    c.takeAway(path);
    file.Append("after\n");
    EXPECT_EQ(Content("trace.err"), c.file);
    EXPECT_EQ(Content("trace.err.old"), c.moved);
  }
}

TEST_F(RotatingFileTest, MovesTheFileAsideWhenALineWouldTakeItPastTheLimit) {
  struct Step {
    std::string line;
    std::string file;                 // afterwards
    std::optional<std::string> older; // "trace.err.1" afterwards
  };
  const std::vector<Step> steps = {
      {"12345\n", "12345\n", std::nullopt},
      {"abc\n", "12345\nabc\n", std::nullopt}, // exactly at the limit
      {"x\n", "x\n", "12345\nabc\n"},
      {"0123456789AB\n", "0123456789AB\n", "x\n"}, // longer than the limit: whole, alone
      {"y\n", "y\n", "0123456789AB\n"},
  };
  TRotatingFile file(path, 10);
  for (const Step& step : steps) {
    SCOPED_TRACE(step.line);
    file.Append(step.line);
    EXPECT_EQ(Content("trace.err"), step.file);
    EXPECT_EQ(Content("trace.err.1"), step.older);
  }
}

TEST_F(RotatingFileTest, CountsWhatAnEarlierRunLeftInTheFile) {
  dir.write("trace.err", "earlier\n");
  TRotatingFile file(path, 10);
  file.Append("now\n");
  EXPECT_EQ(Content("trace.err.1"), "earlier\n");
  EXPECT_EQ(Content("trace.err"), "now\n");
}

TEST_F(RotatingFileTest, AFileRemovedMeanwhileIsNotMovedAsideEarly) {
  TRotatingFile file(path, 10);
  file.Append("12345678\n");
  std::filesystem::remove(path); // the user clears the trace while it runs
  file.Append("abcd\n");
  EXPECT_EQ(Content("trace.err"), "abcd\n");
  EXPECT_EQ(Content("trace.err.1"), std::nullopt);
  file.Append("efghi\n");
  EXPECT_EQ(Content("trace.err"), "efghi\n");
  EXPECT_EQ(Content("trace.err.1"), "abcd\n");
}

TEST_F(RotatingFileTest, AFileThatCannotBeMovedIsNotWrittenFurther) {
  dir.write("trace.err.1/keep", "x"); // a folder that is not empty: no rename, even for root
  TRotatingFile file(path, 10);
  file.Append("12345678\n");
  try {
    file.Append("abcd\n");
    ADD_FAILURE() << "no error";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
  }
  EXPECT_EQ(Content("trace.err"), "12345678\n");
}

} // namespace
