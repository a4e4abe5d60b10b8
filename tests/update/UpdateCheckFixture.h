#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <string>

#include "app/UpdateCheck.h"
#include "config/AppSettings.h"
#include "config/IniFile.h"
#include "config/SettingsFile.h"
#include "tests/support/ScratchProgramFolder.h"
#include "update/NewsDate.h"
#include "util/datetime.h"

// An update check in a scratch program folder whose web server the test names.
class UpdateCheckTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(EnsureIniFile());
    AppSettings.LastUpdate = LastCheck();
  }
  void TearDown() override {
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (widget->objectName() == QLatin1String("UpdateMessage"))
        delete widget;
    qputenv("SKARVEL_UPDATE_HOST", "");
  }

  static void UseServer(const std::string& address) {
    qputenv("SKARVEL_UPDATE_HOST", QByteArray::fromStdString(address));
  }
  static TDateTime Today() { return static_cast<double>(static_cast<long long>(Now())); }
  // Before the news of the served pages (pages.h), and long ago.
  static TDateTime LastCheck() { return *ReadNewsDate("2007-04-13"); }

  // The visible message of the check, under `parent` or at the top level.
  static QMessageBox* Message(QWidget* parent = nullptr) {
    const auto visible = [](QWidget* widget) {
      auto* box = qobject_cast<QMessageBox*>(widget);
      return box && box->isVisible() && box->objectName() == QLatin1String("UpdateMessage")
                 ? box
                 : nullptr;
    };
    if (parent) {
      for (QMessageBox* box : parent->findChildren<QMessageBox*>())
        if (visible(box))
          return box;
      return nullptr;
    }
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (QMessageBox* box = visible(widget))
        return box;
    return nullptr;
  }
  static QMessageBox* WaitForMessage(QWidget* parent = nullptr) {
    return QTest::qWaitFor([&] { return Message(parent) != nullptr; }, 60000) ? Message(parent)
                                                                              : nullptr;
  }
  static void Answer(QMessageBox* box, QMessageBox::StandardButton button) {
    box->button(button)->click();
    QTest::qWait(0); // the box goes when the event loop turns
  }
  TDateTime StoredLastUpdate() const {
    return TIniFile(IniPath()).ReadDate("Network", "LastUpdate", -1);
  }

  ScratchProgramFolder home_;
  int homepageOpened_ = 0;
  TUpdateCheck check_{[this] { ++homepageOpened_; }};
};
