#pragma once

#include <QDir>
#include <QString>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/Unit1.h"
#include "app/dm.h"
#include "config/IniFile.h"
#include "tests/support/ScratchProgramFolder.h"

// A main window in a scratch program folder, made from a settings text.
class FrmMainTest : public ::testing::Test {
protected:
  void SetUp() override { savedCwd_ = QDir::currentPath(); }
  void TearDown() override {
    window_.reset();
    dm_.reset();
    QDir::setCurrent(savedCwd_);
  }

  TfrmMain& Start(const std::string& ini) {
    home_.write("skarvel.ini", WithLoopbackAddress(ini));
    MakeDataModule();
    window_ = std::make_unique<TfrmMain>(*dm_);
    return *window_;
  }
  // The same with a window class of the test's own.
  template <class Window> Window& StartAs(const std::string& ini) {
    home_.write("skarvel.ini", WithLoopbackAddress(ini));
    MakeDataModule();
    auto window = std::make_unique<Window>(*dm_);
    Window& made = *window;
    window_ = std::move(window);
    return made;
  }
  void Stop() { window_.reset(); }
  void MakeDataModule() {
    dm_ = std::make_unique<Tdm>(0.0);
    dm_->NotificationAreaAvailable = [this] { return notificationArea_; };
  }

  // The window polls at once: without an address of its own it would take the
  // default list, whose broadcast leaves the machine.
  static std::string WithLoopbackAddress(const std::string& ini) {
    return ini + "\n[Address]\n127.0.0.1:7790,u4=1\n";
  }

  TIniFile Stored() const { return TIniFile(home_.file("skarvel.ini")); }
  template <class T> T* Child(const char* name) {
    return window_->findChild<T*>(QString::fromLatin1(name));
  }

  ScratchProgramFolder home_;
  bool notificationArea_ = true; // the desktop has a tray
  std::unique_ptr<Tdm> dm_;
  std::unique_ptr<TfrmMain> window_;
  QString savedCwd_;
};

inline const char* const kShown = "[Appearance]\nStartInTray=0\n";
