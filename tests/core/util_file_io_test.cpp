#include "util/file_io.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <set>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "tests/support/TempDir.h"

namespace {

namespace fs = std::filesystem;

// Sets a file's change time to `age` ago (the link itself for a symlink).
void Age(const fs::path& path, std::chrono::seconds age) {
  const timespec then{std::time(nullptr) - age.count(), 0};
  const timespec times[2] = {then, then};
  ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

std::set<std::string> Entries(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    names.insert(entry.path().filename().string());
  return names;
}

constexpr std::chrono::seconds kOld = std::chrono::hours(1);

TEST(ReplaceFileAtomicallyTest, RemovesOnlyStaleTemporaryFilesOfTheSameFile) {
  TempDir tmp;
  const std::string path = tmp.write("skarvel.ini", "old\n");
  const std::string removed[] = {"skarvel.ini.AbC123", "skarvel.ini.000000", "skarvel.ini.zzzzzz"};
  const std::string kept[] = {
      "skarvel.ini.bak",    "skarvel.ini.abc12",   "skarvel.ini.abc1234", "skarvel.ini.abc-12",
      "skarvel.ini.abc 12", "skarvel.ini.",        "Skarvel.ini.AbC123",  "other.ini.AbC123",
      "skarvel.iniXAbC123", "xskarvel.ini.AbC123", "skarvel.ini.AbC123~",
  };
  auto leave = [&tmp](const std::string& name) {
    tmp.write(name, "left over");
    Age(tmp.path() / name, kOld);
  };
  for (const std::string& name : removed)
    leave(name);
  for (const std::string& name : kept)
    leave(name);
  // Not plain files, or not in the folder: never touched.
  fs::create_directory(tmp.path() / "skarvel.ini.Dir123");
  Age(tmp.path() / "skarvel.ini.Dir123", kOld);
  tmp.write("victim", "someone's file");
  Age(tmp.path() / "victim", kOld);
  fs::create_symlink(tmp.path() / "victim", tmp.path() / "skarvel.ini.Link12");
  Age(tmp.path() / "skarvel.ini.Link12", kOld);
  ASSERT_EQ(mkfifo(tmp.file("skarvel.ini.Pipe12").c_str(), 0600), 0);
  Age(tmp.path() / "skarvel.ini.Pipe12", kOld);
  tmp.write("sub/skarvel.ini.AbC123", "elsewhere");
  Age(tmp.path() / "sub/skarvel.ini.AbC123", kOld);

  ASSERT_TRUE(ReplaceFileAtomically(path, "new\n"));

  std::set<std::string> expected(std::begin(kept), std::end(kept));
  expected.insert({"skarvel.ini", "skarvel.ini.Dir123", "victim", "skarvel.ini.Link12",
                   "skarvel.ini.Pipe12", "sub"});
  EXPECT_EQ(Entries(tmp.path()), expected);
  EXPECT_EQ(tmp.read("skarvel.ini"), "new\n");
  EXPECT_EQ(tmp.read("victim"), "someone's file");
  EXPECT_TRUE(tmp.exists("sub/skarvel.ini.AbC123"));
}

TEST(ReplaceFileAtomicallyTest, KeepsATemporaryFileThatAWriterMayStillUse) {
  TempDir tmp;
  const std::string path = tmp.write("skarvel.ini", "old\n");
  const struct {
    const char* name;
    std::chrono::seconds age;
    bool locked;
    bool removed;
  } cases[] = {
      {"skarvel.ini.Fresh1", std::chrono::seconds(0), false, false},
      {"skarvel.ini.Young1", kStaleTemporaryAge - std::chrono::minutes(1), false, false},
      {"skarvel.ini.Futur1", -std::chrono::hours(1), false, false}, // the clock went back
      {"skarvel.ini.Stale1", kStaleTemporaryAge + std::chrono::minutes(1), false, true},
      {"skarvel.ini.Lockd1", kOld, true, false},
  };
  std::vector<int> locks;
  for (const auto& c : cases) {
    tmp.write(c.name, "being written");
    Age(tmp.path() / c.name, c.age);
    if (c.locked) {
      const int fd = open(tmp.file(c.name).c_str(), O_RDONLY | O_CLOEXEC);
      ASSERT_EQ(flock(fd, LOCK_EX), 0);
      locks.push_back(fd);
    }
  }

  ASSERT_TRUE(ReplaceFileAtomically(path, "new\n"));

  for (const auto& c : cases)
    EXPECT_EQ(tmp.exists(c.name), !c.removed) << c.name;
  for (const int fd : locks)
    close(fd);
}

TEST(ReplaceFileAtomicallyTest, KeepsAnotherUsersTemporaryFile) {
  if (geteuid() != 0)
    GTEST_SKIP() << "only root can give a file to another user";
  TempDir tmp;
  const std::string path = tmp.write("skarvel.ini", "old\n");
  const std::string theirs = tmp.write("skarvel.ini.Their1", "theirs");
  ASSERT_EQ(chown(theirs.c_str(), 65534, 65534), 0);
  Age(theirs, kOld);

  ASSERT_TRUE(ReplaceFileAtomically(path, "new\n"));
  EXPECT_TRUE(tmp.exists("skarvel.ini.Their1"));
}

// What cannot be read whole as text is refused without opening it for long:
// a pipe would wait for its writer, /dev/zero never ends.
TEST(ReadWholeFileTest, RefusesWhatIsNoRegularFileOrTooBig) {
  TempDir dir;
  const std::string fifo = dir.file("pipe.lng");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", dir.path() / "zero.lng");
  const std::string big = dir.write("big.lng", "");
  fs::resize_file(big, kMaxWholeFileSize + 1); // sparse: no room taken
  const std::string limit = dir.write("limit.lng", "");
  fs::resize_file(limit, kMaxWholeFileSize);
  fs::create_directory(dir.path() / "folder.lng");
  const struct {
    std::string path, problem;
  } cases[] = {
      {fifo, "not a regular file"},
      {dir.file("zero.lng"), "not a regular file"},
      {big, "larger than 64 MiB"},
      {dir.file("folder.lng"), "Is a directory"},
      {dir.file("missing.lng"), "No such file or directory"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReadWholeFile(c.path), std::nullopt) << c.path;
    EXPECT_EQ(WholeFileProblem(c.path), c.problem) << c.path;
  }
  EXPECT_EQ(ReadWholeFile(limit).value_or("").size(), kMaxWholeFileSize);
  EXPECT_EQ(WholeFileProblem(limit), std::nullopt);
}

} // namespace
