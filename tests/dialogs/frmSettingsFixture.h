#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FakeDialogServices.h"
#include "ModalScript.h"
#include "config/AppSettings.h"
#include "config/BuddyList.h"
#include "config/IniFile.h"
#include "config/SettingsFile.h"
#include "dialogs/settings.h"
#include "games/game.h"
#include "model/address.h"
#include "protocols/builtin_games.h"
#include "tests/support/TempDir.h"
#include "util/app_dir.h"

// An answer of the address dialog: true for OK, after changing the address.
using TFrmSettingsEdit = std::function<bool(std::unique_ptr<TAddress>& address)>;

// The address dialog's answers: OK with new values, or Cancel.
inline TFrmSettingsEdit EditTo(const std::string& host, const std::string& description = "") {
  return [host, description](std::unique_ptr<TAddress>& address) {
    address->Host = host;
    address->Description = description;
    return true;
  };
}
// A change of game makes a new address object.
inline TFrmSettingsEdit EditToGame(const std::string& host, int32_t gameId, int32_t port = 0) {
  return [host, gameId, port](std::unique_ptr<TAddress>& address) {
    address = std::make_unique<TAddress>(address->Registry(), host, port, gameId);
    return true;
  };
}
inline TFrmSettingsEdit EditCancel() {
  return [](std::unique_ptr<TAddress>&) { return false; };
}

// The settings dialog over a live registry and address list loaded from a
// settings text in a scratch program folder, as start-up loads them. The
// address dialog is a script of edits; the autostart entry lives in the
// scratch folder too.
class FrmSettingsTest : public ::testing::Test {
protected:
  using TEdit = TFrmSettingsEdit;

  void SetUp() override {
    savedFolder_ = ProgramFolder();
    if (const char* config = std::getenv("XDG_CONFIG_HOME"))
      savedConfig_ = config;
    std::filesystem::create_directory(tmp_.path() / "home");
    SetProgramFolder(Home());
    setenv("XDG_CONFIG_HOME", tmp_.file("config").c_str(), 1);
    AppSettings = TAppSettings{};
  }
  void TearDown() override {
    dialog_.reset();
    AppSettings = TAppSettings{};
    Buddies.Clear();
    SetProgramFolder(savedFolder_);
    if (savedConfig_)
      setenv("XDG_CONFIG_HOME", savedConfig_->c_str(), 1);
    else
      unsetenv("XDG_CONFIG_HOME");
  }

  std::string Home() const { return tmp_.file("home"); }
  std::string IniFile() const { return tmp_.file("home/skarvel.ini"); }
  std::string AutostartEntry() const { return tmp_.file("config/autostart/skarvel.desktop"); }
  TIniFile Stored() const { return TIniFile(IniFile()); }
  std::string StoredText() const { return tmp_.read("home/skarvel.ini"); }

  // Start-up's part: the settings, the registry (with `extraGames`) and the
  // address list; then the dialog, made and not yet shown.
  TfrmSettings& Make(const std::string& ini) {
    tmp_.write("home/skarvel.ini", ini);
    EnsureIniFile();
    WithIni([] {
      LoadAppSettings();
      LoadBuddies();
    });
    games_.LoadGames(BuiltinGames(), THostInfo{}, extraGames_);
    games_.LoadSettings(&services_.GameIcons());
    WithIni([this] { addresses_.LoadFromIni(games_, &services_.GameIcons(), false); });
    dialog_ = std::make_unique<TfrmSettings>(games_, addresses_, services_);
    dialog_->EditAddress = [this](std::unique_ptr<TAddress>& address, QWidget* parent) {
      EXPECT_EQ(parent, dialog_.get());
      edited_.push_back(address->IniKey());
      if (edits_.empty())
        return false;
      TEdit edit = std::move(edits_.front());
      edits_.pop_front();
      return edit(address);
    };
    return *dialog_;
  }
  TfrmSettings& Open(const std::string& ini) {
    TfrmSettings& dialog = Make(ini);
    dialog.show();
    return dialog;
  }

  template <class T> T& Child(const char* name) {
    T* child = dialog_->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    if (!child)
      throw std::runtime_error(std::string("no control ") + name);
    return *child;
  }
  void Click(const char* name) { QTest::mouseClick(&Child<QAbstractButton>(name), Qt::LeftButton); }
  void Type(const char* name, const QString& text) { Child<QLineEdit>(name).setText(text); }
  void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(&List(), static_cast<Qt::Key>(key), modifiers);
  }
  // Runs `press` (a Del), answering the question it asks with Yes.
  void AnsweringYes(const std::function<void()>& press) {
    TModalScript script;
    script.ThenAccept();
    press();
    EXPECT_EQ(script.Pending(), 0) << "no question asked";
    EXPECT_EQ(script.Unanswered(), 0);
  }
  void ClickDelAnsweringYes() {
    AnsweringYes([this] { Click("btDel"); });
  }
  QTreeWidget& List() { return Child<QTreeWidget>("lvAddr"); }
  void SelectRow(int row) { List().setCurrentItem(List().topLevelItem(row)); }
  int SelectedRow() {
    const QList<QTreeWidgetItem*> selected = List().selectedItems();
    return selected.size() == 1 ? List().indexOfTopLevelItem(selected.first()) : -1;
  }
  // "caption key description" and "on"/"off" of every row, in order.
  std::vector<std::string> Rows() {
    std::vector<std::string> rows;
    for (int i = 0; i < List().topLevelItemCount(); ++i) {
      const QTreeWidgetItem* item = List().topLevelItem(i);
      std::string row = item->text(0).toStdString() + " " + item->text(1).toStdString();
      if (!item->text(2).isEmpty())
        row += " " + item->text(2).toStdString();
      rows.push_back(row + (item->checkState(0) == Qt::Checked ? " on" : " off"));
    }
    return rows;
  }
  // The same for the live list.
  std::vector<std::string> Live() const {
    std::vector<std::string> rows;
    for (int32_t i = 0; i < addresses_.Count(); ++i) {
      const TAddress& a = addresses_.Items(i);
      std::string row = a.HostPort() + " " + a.Defs.Key;
      if (!a.Description.empty())
        row += " " + a.Description;
      rows.push_back(row + (a.Enabled ? " on" : " off"));
    }
    return rows;
  }
  // The keys of section "Address" with their values, in file order.
  std::vector<std::string> StoredAddresses() const {
    const TIniFile ini = Stored();
    std::vector<std::string> lines;
    for (const std::string& key : ini.ReadSection("Address"))
      lines.push_back(key + "=" + ini.ReadRawString("Address", key, ""));
    return lines;
  }
  bool Accepted() const { return !dialog_->isVisible() && dialog_->result() == QDialog::Accepted; }

  TempDir tmp_;
  std::string savedFolder_;
  std::optional<std::string> savedConfig_;
  TFakeDialogServices services_;
  std::function<void(TGameList&)> extraGames_;
  TGameList games_;
  TAddressList addresses_;
  std::unique_ptr<TfrmSettings> dialog_;
  std::deque<TEdit> edits_;
  std::vector<std::string> edited_; // the key of every address the editor got
};

// Two loopback addresses of different games, one of them disabled.
inline const char* const kTwoAddresses = "[Address]\n"
                                         "127.0.0.1:7790,u4=1,Lan\n"
                                         "127.0.0.2,q3=0\n";
