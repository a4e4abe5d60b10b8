#include <QSignalSpy>

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/SingleInstance.h"
#include "tests/support/TempDir.h"

namespace {

QString Folder(const TempDir& dir) {
  return QString::fromStdString(dir.path().string());
}

TEST(SingleInstanceTest, SecondStartInSameFolderReachesTheFirst) {
  TempDir folder;
  SingleInstance first(Folder(folder));
  ASSERT_EQ(first.Acquire(), SingleInstance::Role::Primary);

  SingleInstance second(Folder(folder));
  EXPECT_EQ(second.Acquire(), SingleInstance::Role::Secondary);

  QSignalSpy requests(&first, &SingleInstance::requestReceived);
  EXPECT_TRUE(second.SendRequest(SingleInstance::ShowRequest));
  ASSERT_TRUE(requests.wait(2000));
  EXPECT_EQ(requests.takeFirst().at(0).toInt(), SingleInstance::ShowRequest);

  SingleInstance third(Folder(folder));
  ASSERT_EQ(third.Acquire(), SingleInstance::Role::Secondary);
  EXPECT_TRUE(third.SendRequest(SingleInstance::RefreshRequest));
  ASSERT_TRUE(requests.wait(2000));
  EXPECT_EQ(requests.takeFirst().at(0).toInt(), SingleInstance::RefreshRequest);
}

// Restores the current folder when a test has changed it.
class CurrentFolderGuard {
public:
  ~CurrentFolderGuard() { std::filesystem::current_path(saved_); }

private:
  std::filesystem::path saved_ = std::filesystem::current_path();
};

TEST(SingleInstanceTest, EverySpellingOfTheFolderFindsTheRunningCopy) {
  TempDir base;
  std::filesystem::create_directories(base.path() / "home");
  std::filesystem::create_directories(base.path() / "other");
  std::filesystem::create_directory_symlink(base.path() / "home", base.path() / "link");
  const CurrentFolderGuard guard;
  std::filesystem::current_path(base.path() / "other");

  SingleInstance first(QString::fromStdString(base.file("home")));
  ASSERT_EQ(first.Acquire(), SingleInstance::Role::Primary);
  const std::string spellings[] = {
      "../home",
      base.file("home") + "/",
      base.file("home") + "//",
      base.file("link"),
      base.file("link") + "/",
      base.file("other") + "/../home",
      base.file("link/."),
      "../link",
  };
  for (const std::string& spelling : spellings) {
    SCOPED_TRACE(spelling);
    SingleInstance second(QString::fromStdString(spelling));
    EXPECT_EQ(second.ServerName(), first.ServerName());
    EXPECT_EQ(second.Acquire(), SingleInstance::Role::Secondary);
  }
}

TEST(SingleInstanceTest, AFolderThatCannotBeResolvedIsKeyedOnItsAbsolutePath) {
  TempDir base;
  const CurrentFolderGuard guard;
  std::filesystem::current_path(base.path());
  const SingleInstance relative(QStringLiteral("missing/"));
  const SingleInstance absolute(QString::fromStdString(base.file("missing")));
  const SingleInstance dotted(QString::fromStdString(base.file("x/../missing")));
  EXPECT_EQ(relative.ServerName(), absolute.ServerName());
  EXPECT_EQ(dotted.ServerName(), absolute.ServerName());
  EXPECT_NE(SingleInstance(QString::fromStdString(base.file("missing2"))).ServerName(),
            absolute.ServerName());
}

TEST(SingleInstanceTest, OtherFoldersRunSideBySide) {
  TempDir one, two;
  SingleInstance first(Folder(one));
  SingleInstance second(Folder(two));
  EXPECT_EQ(first.Acquire(), SingleInstance::Role::Primary);
  EXPECT_EQ(second.Acquire(), SingleInstance::Role::Primary);
}

TEST(SingleInstanceTest, FolderIsFreeAgainWhenTheFirstEnds) {
  TempDir folder;
  {
    SingleInstance first(Folder(folder));
    ASSERT_EQ(first.Acquire(), SingleInstance::Role::Primary);
  }
  SingleInstance next(Folder(folder));
  EXPECT_EQ(next.Acquire(), SingleInstance::Role::Primary);
}

TEST(SingleInstanceTest, RequestWithoutRunningCopyIsNotDelivered) {
  TempDir folder;
  SingleInstance lone(Folder(folder));
  EXPECT_FALSE(lone.SendRequest(SingleInstance::ShowRequest, 100));
}

} // namespace
