#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <sys/stat.h>

#include "config/SettingsFile.h"
#include "tests/support/TempDir.h"
#include "util/app_dir.h"

namespace {

struct FileId {
  ino_t inode = 0;
  timespec mtime{};
  bool operator==(const FileId& other) const {
    return inode == other.inode && mtime.tv_sec == other.mtime.tv_sec &&
           mtime.tv_nsec == other.mtime.tv_nsec;
  }
};

FileId IdOf(const std::string& path) {
  struct stat info {};
  EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
  return {info.st_ino, info.st_mtim};
}

class SettingsFileTest : public ::testing::Test {
protected:
  void SetUp() override {
    savedFolder = ProgramFolder();
    SetProgramFolder(tmp.path().string());
  }
  void TearDown() override {
    while (IniOpenCount() > 0) {
      try {
        CloseIni();
      } catch (...) {
      }
    }
    SetProgramFolder(savedFolder);
  }

  TempDir tmp;
  std::string savedFolder;
};

TEST_F(SettingsFileTest, EnsureIniFileCreatesTheFileWithOneEmptyLine) {
  ASSERT_TRUE(EnsureIniFile());
  EXPECT_EQ(IniPath(), tmp.file("skarvel.ini"));
  EXPECT_EQ(tmp.read("skarvel.ini"), "\n");
  EXPECT_TRUE(IniFileIsNew());

  // The next start finds the file it made.
  ASSERT_TRUE(EnsureIniFile());
  EXPECT_FALSE(IniFileIsNew());
}

TEST_F(SettingsFileTest, EnsureIniFileLeavesAnExistingFileUntouched) {
  const std::string content = "[Common]\r\nVersion=2.5";
  tmp.write("skarvel.ini", content);
  const std::string path = tmp.file("skarvel.ini");
  const timespec old[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), old, 0), 0);
  const FileId before = IdOf(path);

  ASSERT_TRUE(EnsureIniFile());
  EXPECT_EQ(tmp.read("skarvel.ini"), content);
  EXPECT_TRUE(IdOf(path) == before);
  EXPECT_FALSE(IniFileIsNew());
}

TEST_F(SettingsFileTest, EnsureIniFileFailsWhenTheFileCannotBeCreated) {
  SetProgramFolder(tmp.file("missing-folder"));
  EXPECT_FALSE(EnsureIniFile());
  EXPECT_EQ(IniPath(), tmp.file("missing-folder/skarvel.ini"));
  EXPECT_TRUE(IniFileIsNew()); // no settings file: still a first start
}

TEST_F(SettingsFileTest, NestedBracketSharesOneAccessorAndWritesOnceAtTheLastClose) {
  ASSERT_TRUE(EnsureIniFile());
  const std::string& path = IniPath();
  const FileId created = IdOf(path);

  CloseIni(); // without an open: nothing happens
  EXPECT_EQ(IniOpenCount(), 0);

  OpenIni();
  TIniFile* outer = &Ini();
  Ini().WriteString("A", "Outer", "1");
  OpenIni();
  EXPECT_EQ(IniOpenCount(), 2);
  EXPECT_EQ(&Ini(), outer);
  EXPECT_EQ(Ini().ReadString("A", "Outer", ""), "1");
  Ini().WriteString("A", "Inner", "2");
  CloseIni();
  EXPECT_EQ(IniOpenCount(), 1);
  EXPECT_EQ(tmp.read("skarvel.ini"), "\n");
  EXPECT_TRUE(IdOf(path) == created);

  CloseIni();
  EXPECT_EQ(IniOpenCount(), 0);
  EXPECT_EQ(tmp.read("skarvel.ini"), "\n[A]\nOuter=1\nInner=2\n");
  const FileId written = IdOf(path);
  EXPECT_FALSE(written == created);

  CloseIni(); // one close too many
  EXPECT_EQ(IniOpenCount(), 0);
  EXPECT_TRUE(IdOf(path) == written);
  EXPECT_THROW(Ini(), std::logic_error);
}

TEST_F(SettingsFileTest, EachFirstOpenReadsTheFileAfreshAndAReadOnlyBracketWritesNothing) {
  ASSERT_TRUE(EnsureIniFile());
  WithIni([] { Ini().WriteString("A", "K", "1"); });
  tmp.write("skarvel.ini", "[A]\nK=edited by hand\n");
  const FileId edited = IdOf(IniPath());

  const std::string seen = WithIni([] { return Ini().ReadString("A", "K", ""); });
  EXPECT_EQ(seen, "edited by hand");
  EXPECT_TRUE(IdOf(IniPath()) == edited);
}

TEST_F(SettingsFileTest, FailedFinalCloseRaisesAndStillClosesTheStore) {
  // A folder where the file should be: the replacement fails even for root.
  std::filesystem::create_directory(tmp.path() / "skarvel.ini");
  ASSERT_TRUE(EnsureIniFile());

  OpenIni();
  OpenIni();
  Ini().WriteString("A", "K", "lost");
  CloseIni();
  try {
    CloseIni();
    ADD_FAILURE() << "no error";
  } catch (const EIniWriteError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + tmp.file("skarvel.ini"));
  }
  EXPECT_EQ(IniOpenCount(), 0);
  EXPECT_THROW(Ini(), std::logic_error);
  EXPECT_NO_THROW(CloseIni());

  std::filesystem::remove(tmp.path() / "skarvel.ini");
  OpenIni();
  EXPECT_EQ(Ini().ReadString("A", "K", "fresh"), "fresh");
  CloseIni();
}

TEST_F(SettingsFileTest, WithIniClosesWhenTheWorkFailsAndTheWorkErrorWins) {
  std::filesystem::create_directory(tmp.path() / "skarvel.ini");
  ASSERT_TRUE(EnsureIniFile());
  try {
    WithIni([] {
      Ini().WriteString("A", "K", "v"); // the close's write will fail too
      throw std::invalid_argument("work failed");
    });
    ADD_FAILURE() << "no error";
  } catch (const std::invalid_argument&) {
  } catch (...) {
    ADD_FAILURE() << "the write error replaced the work's error";
  }
  EXPECT_EQ(IniOpenCount(), 0);
}

TEST_F(SettingsFileTest, IniOutsideABracketIsAnError) {
  EXPECT_THROW(Ini(), std::logic_error);
}

// A save clears what interrupted saves left; one in progress elsewhere stays.
TEST_F(SettingsFileTest, TheNextSaveRemovesStaleTemporaryFiles) {
  tmp.write("skarvel.ini", "[Common]\nVersion=2.5\n");
  const std::string stale = tmp.write("skarvel.ini.Qx9Z01", "[Common]\nVer");
  const timespec longAgo[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(utimensat(AT_FDCWD, stale.c_str(), longAgo, 0), 0);
  tmp.write("skarvel.ini.Fresh0", "[Common]\n");

  OpenIni();
  CloseIni(); // nothing changed: no save
  EXPECT_TRUE(tmp.exists("skarvel.ini.Qx9Z01"));

  OpenIni();
  Ini().WriteString("Network", "Interval", "1000");
  CloseIni();
  EXPECT_FALSE(tmp.exists("skarvel.ini.Qx9Z01"));
  EXPECT_TRUE(tmp.exists("skarvel.ini.Fresh0"));
  EXPECT_EQ(tmp.read("skarvel.ini"), "[Common]\nVersion=2.5\n[Network]\nInterval=1000\n");
}

} // namespace
