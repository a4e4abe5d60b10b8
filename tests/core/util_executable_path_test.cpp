#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"
#include "util/executable_path.h"

namespace {

void MakeExecutable(const std::string& path) {
  std::filesystem::permissions(path, std::filesystem::perms::owner_exec,
                               std::filesystem::perm_options::add);
}

TEST(FindExecutableTest, BareNamesComeFromPathAndPathsMustNameAFile) {
  TempDir dir;
  MakeExecutable(dir.write("first/game", ""));
  MakeExecutable(dir.write("second/game", ""));
  dir.write("plain/data", ""); // no execute bit
  std::filesystem::create_directories(dir.path() / "folder/sub");
  MakeExecutable(dir.write("second/other", ""));
  const std::string first = dir.file("first");
  const std::string second = dir.file("second");
  const std::string plain = dir.file("plain");

  struct Case {
    std::string name;
    std::string searchPath;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"game", first + ":" + second, first + "/game"}, // the first folder wins
      {"game", "/nonexistent::" + second, second + "/game"},
      {"other", first + ":" + second, second + "/other"},
      {"data", plain, ""},             // not executable
      {"sub", dir.file("folder"), ""}, // a folder is no program
      {"game", "", ""},                // nothing to search
      {"missing", first + ":" + second, ""},
      {"", first, ""},
      {dir.file("plain/data"), "", dir.file("plain/data")}, // a path needs only to exist
      {dir.file("plain/missing"), first, ""},
      {"c:\\Program Files\\Valve\\hl.exe", first, ""}, // a Windows path is a bare name here
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name + " in " + c.searchPath);
    EXPECT_EQ(FindExecutable(c.name, c.searchPath), c.expected);
  }
}

} // namespace
