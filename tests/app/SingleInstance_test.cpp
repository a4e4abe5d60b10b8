#include <QSignalSpy>

#include <gtest/gtest.h>

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
