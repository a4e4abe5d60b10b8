#include "util/data_folders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/ScratchProgramFolder.h"
#include "tests/support/TempDir.h"

namespace {

// A program folder and an installed folder of each kind, both scratch.
class DataFoldersTest : public ::testing::Test {
protected:
  DataFoldersTest() {
    for (TDataKind kind : {TDataKind::Plugin, TDataKind::Language, TDataKind::Sound})
      SetInstalledFolder(kind, installed.path().string());
  }
  ~DataFoldersTest() override {
    for (TDataKind kind : {TDataKind::Plugin, TDataKind::Language, TDataKind::Sound})
      SetInstalledFolder(kind, "");
  }

  ScratchProgramFolder own;
  TempDir installed;
};

TEST_F(DataFoldersTest, TheFirstFileOfANameWins) {
  own.write("users.wav", "mine");
  installed.write("users.wav", "shipped");
  installed.write("other.wav", "shipped");
  own.write("folder.wav/x", ""); // a folder is no file of that name
  installed.write("folder.wav", "shipped");
  const struct {
    std::string name, expected;
  } cases[] = {
      {"users.wav", own.file("users.wav")},
      {"other.wav", installed.file("other.wav")},
      {"folder.wav", installed.file("folder.wav")},
      {"missing.wav", own.file("missing.wav")}, // where a new one would go
      {"/abs/x.wav", "/abs/x.wav"},
      {"sub/x.wav", "sub/x.wav"},
      {"", own.file("")},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FindDataFile(TDataKind::Sound, c.name), c.expected) << c.name;
}

TEST_F(DataFoldersTest, ListingsJoinBothFoldersEachNameOnce) {
  own.write("English.lng", "");
  own.write("Mine.lng", "");
  own.write("notes.txt", "");
  installed.write("English.lng", "");
  installed.write("Deutsch.lng", "");
  installed.write(".lng", ""); // no name before the extension
  std::vector<std::string> files = ListDataFiles(TDataKind::Language, ".lng");
  ASSERT_EQ(files.size(), 3u);
  // The program folder's come first, in its own listing order.
  std::sort(files.begin(), files.begin() + 2);
  EXPECT_EQ(files, (std::vector<std::string>{own.file("English.lng"), own.file("Mine.lng"),
                                             installed.file("Deutsch.lng")}));
}

TEST_F(DataFoldersTest, AFolderSpelledTwiceIsSearchedOnce) {
  SetInstalledFolder(TDataKind::Plugin, own.path().string() + "/.");
  EXPECT_EQ(DataFolders(TDataKind::Plugin), std::vector<std::string>{own.path().string()});
  SetInstalledFolder(TDataKind::Plugin, installed.file("missing"));
  EXPECT_EQ(DataFolders(TDataKind::Plugin),
            (std::vector<std::string>{own.path().string(), installed.file("missing")}));
}

// Run where it was built there is no installed folder: the build keeps the
// shipped languages beside the programs, and they are found there.
TEST_F(DataFoldersTest, WithoutAnInstalledLanguageFolderTheProgramsOwnFolderServes) {
  SetInstalledFolder(TDataKind::Language, installed.file("missing"));
  const std::string exe = ExecutablePath();
  EXPECT_EQ(DataFolders(TDataKind::Language),
            (std::vector<std::string>{own.path().string(), exe.substr(0, exe.rfind('/'))}));
  // Plug-ins beside the program are not loaded unasked.
  SetInstalledFolder(TDataKind::Plugin, installed.file("missing"));
  EXPECT_EQ(DataFolders(TDataKind::Plugin),
            (std::vector<std::string>{own.path().string(), installed.file("missing")}));
}

// Without an override the installed folders sit where the install layout
// puts them, next to the executable's folder.
TEST(InstalledFolders, FollowTheInstallLayout) {
  const std::string exe = ExecutablePath();
  const std::string bin = exe.substr(0, exe.rfind('/'));
  const std::string lib = bin + "/" SKARVEL_BIN_TO_PKGLIBDIR;
  const std::string data = bin + "/" SKARVEL_BIN_TO_PKGDATADIR;
  EXPECT_EQ(InstalledFolder(TDataKind::Plugin), lib + "/plugins");
  EXPECT_EQ(InstalledFolder(TDataKind::Language), data + "/lang");
  EXPECT_EQ(InstalledFolder(TDataKind::Sound), data);
}

} // namespace
