#include "util/rotating_file.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
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

  TempDir dir;
  const std::string path = dir.file("trace.err");
};

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
