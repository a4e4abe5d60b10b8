#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FakeDialogServices.h"
#include "ModalScript.h"
#include "dialogs/serverprop.h"
#include "model/ServerProperties.h"

namespace {

const TServerProperties kStored{"Clan server", "q3.ico", "ding.wav", "q3.log",
                                kTrayOwnIcon,  true,     true,       true};

class FrmServerPropTest : public ::testing::Test {
protected:
  TfrmServerProp& Open(const TServerProperties& properties) {
    dialog_ = std::make_unique<TfrmServerProp>(properties, "10.0.0.5:27961", services);
    dialog_->show();
    return *dialog_;
  }
  template <class T> T& Child(const char* name) { return Child<T>(*dialog_, name); }
  template <class T> static T& Child(QWidget& dialog, const char* name) {
    T* child = dialog.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return *child;
  }
  static void Click(QWidget& dialog, const char* name) {
    auto& button = Child<QAbstractButton>(dialog, name);
    // Near the left edge: a check box's indicator, inside any button.
    const int middle = button.height() / 2;
    QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(middle, middle));
  }
  static void Type(QWidget& dialog, const char* edit, const QString& text) {
    auto& field = Child<QLineEdit>(dialog, edit);
    field.selectAll();
    QTest::keyClick(&field, Qt::Key_Delete);
    QTest::keyClicks(&field, text);
  }

  TFakeDialogServices services;
  std::unique_ptr<TfrmServerProp> dialog_;
};

TEST_F(FrmServerPropTest, ShowsTheServersAddressAndProperties) {
  TfrmServerProp& dialog = Open(kStored);
  EXPECT_EQ(dialog.objectName(), "frmServerProp");
  EXPECT_EQ(dialog.windowTitle(), "Server properties");
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()) << "a fixed border";
  EXPECT_GE(dialog.width(), 280);
  EXPECT_GE(dialog.height(), 329);
  const std::vector<std::pair<const char*, QString>> captions = {{"laIP", "IP:"},
                                                                 {"laDesc", "Description:"},
                                                                 {"laIcon", "Icon:"},
                                                                 {"laSound", "Sound:"},
                                                                 {"laLog", "Log:"}};
  for (const auto& [name, caption] : captions)
    EXPECT_EQ(Child<QLabel>(name).text(), caption) << name;
  const std::vector<std::pair<const char*, QString>> buttons = {
      {"rbOwnIcon", "o&wn"},
      {"rbCommonIcon", "co&mmon"},
      {"rbNoIcon", "&none"},
      {"chRealPlayersNumber", "Show &real players number"},
      {"chPopup", "&Popup messages"},
      {"chPopupPlayers", "Pla&yer tips"},
      {"btIcon", "#"},
      {"btSound", "#"},
      {"btLog", "#"},
      {"btOk", "&OK"},
      {"btCancel", "&Cancel"}};
  for (const auto& [name, caption] : buttons)
    EXPECT_EQ(Child<QAbstractButton>(name).text(), caption) << name;
  EXPECT_EQ(Child<QGroupBox>("gbTrayNew").title(), "Tray icon");
  EXPECT_TRUE(Child<QPushButton>("btOk").isDefault());

  auto& ip = Child<QLineEdit>("edIP");
  EXPECT_EQ(ip.text(), "10.0.0.5:27961");
  EXPECT_TRUE(ip.isReadOnly());
  EXPECT_FALSE(ip.hasFrame());
  EXPECT_EQ(ip.palette().color(QPalette::Base), ip.palette().color(QPalette::Button));
  EXPECT_EQ(Child<QLineEdit>("edDescription").text(), "Clan server");
  EXPECT_EQ(Child<QLineEdit>("edIcon").text(), "q3.ico");
  EXPECT_EQ(Child<QLineEdit>("edSound").text(), "ding.wav");
  EXPECT_EQ(Child<QLineEdit>("edLog").text(), "q3.log");
  EXPECT_TRUE(Child<QCheckBox>("chRealPlayersNumber").isChecked());
  EXPECT_TRUE(Child<QCheckBox>("chPopup").isChecked());
  EXPECT_TRUE(Child<QCheckBox>("chPopupPlayers").isChecked());
  EXPECT_TRUE(Child<QCheckBox>("chPopupPlayers").isEnabled());
  EXPECT_EQ(dialog.Properties(), kStored);
}

TEST_F(FrmServerPropTest, TheTrayModeChecksItsButtonAndOkGivesItBack) {
  struct Case {
    uint8_t stored;
    const char* checked; // nullptr: none
    uint8_t afterOk;
  };
  const std::vector<Case> cases = {{kTrayCommonIcon, "rbCommonIcon", kTrayCommonIcon},
                                   {kTrayOwnIcon, "rbOwnIcon", kTrayOwnIcon},
                                   {kTrayNoIcon, "rbNoIcon", kTrayNoIcon},
                                   {3, nullptr, kTrayNoIcon}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    TServerProperties properties = kStored;
    properties.TrayMode = c.stored;
    TModalScript script;
    script.Then([&](QWidget& dialog) {
      for (const char* name : {"rbCommonIcon", "rbOwnIcon", "rbNoIcon"})
        EXPECT_EQ(Child<QRadioButton>(dialog, name).isChecked(),
                  c.checked && std::string(c.checked) == name)
            << name;
      Click(dialog, "btOk");
    });
    ASSERT_TRUE(EditServerProperties(properties, "10.0.0.5", services));
    EXPECT_EQ(properties.TrayMode, c.afterOk);
  }
}

TEST_F(FrmServerPropTest, OkGivesWhatTheUserChanged) {
  TServerProperties properties = kStored;
  TModalScript script;
  script.Then([&](QWidget& dialog) {
    Type(dialog, "edDescription", "Renamed");
    Type(dialog, "edIcon", "/nonexistent/x.ico");
    Type(dialog, "edSound", "");
    Type(dialog, "edLog", "/proc/no such/log.txt");
    Click(dialog, "rbCommonIcon");
    Click(dialog, "chRealPlayersNumber");
    Click(dialog, "btOk");
  });
  ASSERT_TRUE(EditServerProperties(properties, "10.0.0.5:27961", services));
  const TServerProperties expected{
      "Renamed", "/nonexistent/x.ico", "", "/proc/no such/log.txt", kTrayCommonIcon, false, true,
      true};
  EXPECT_EQ(properties, expected);
}

TEST_F(FrmServerPropTest, PopupMessagesOffDisablesPlayerTipsWhichKeepsItsMark) {
  TServerProperties properties = kStored;
  TModalScript script;
  script.Then([&](QWidget& dialog) {
    auto& tips = Child<QCheckBox>(dialog, "chPopupPlayers");
    Click(dialog, "chPopup");
    EXPECT_FALSE(tips.isEnabled());
    EXPECT_TRUE(tips.isChecked());
    Click(dialog, "chPopupPlayers"); // a disabled box takes no click
    EXPECT_TRUE(tips.isChecked());
    Click(dialog, "btOk");
  });
  ASSERT_TRUE(EditServerProperties(properties, "10.0.0.5", services));
  EXPECT_FALSE(properties.Popup);
  EXPECT_TRUE(properties.PlayerTips) << "the mark is stored";

  // And back: popups on enable the tips again.
  script.Then([&](QWidget& dialog) {
    auto& tips = Child<QCheckBox>(dialog, "chPopupPlayers");
    EXPECT_FALSE(tips.isEnabled());
    Click(dialog, "chPopup");
    EXPECT_TRUE(tips.isEnabled());
    Click(dialog, "chPopupPlayers");
    Click(dialog, "btOk");
  });
  ASSERT_TRUE(EditServerProperties(properties, "10.0.0.5", services));
  EXPECT_TRUE(properties.Popup);
  EXPECT_FALSE(properties.PlayerTips);
}

TEST_F(FrmServerPropTest, CancelLeavesThePropertiesUntouched) {
  TServerProperties properties = kStored;
  services.Answers = {QStringLiteral("/tmp/other.wav")};
  TModalScript script;
  script.Then([&](QWidget& dialog) {
    Type(dialog, "edDescription", "Renamed");
    Click(dialog, "btSound");
    Click(dialog, "rbNoIcon");
    Click(dialog, "chPopup");
    Click(dialog, "btCancel");
  });
  EXPECT_FALSE(EditServerProperties(properties, "10.0.0.5", services));
  EXPECT_EQ(properties, kStored);
}

TEST_F(FrmServerPropTest, BrowseButtonsPutThePickedPathIntoTheirEditAndACancelChangesNothing) {
  struct Case {
    const char* button;
    const char* edit;
    QString asked;
  };
  const std::vector<Case> cases = {
      {"btIcon", "edIcon", "icon"}, {"btSound", "edSound", "sound"}, {"btLog", "edLog", "log"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.button);
    TfrmServerProp& dialog = Open(kStored);
    services.Asked.clear();
    services.Answers = {QStringLiteral("/home/me/picked file"), std::nullopt};
    Click(dialog, c.button);
    EXPECT_EQ(Child<QLineEdit>(c.edit).text(), "/home/me/picked file");
    Click(dialog, c.button);
    EXPECT_EQ(Child<QLineEdit>(c.edit).text(), "/home/me/picked file");
    EXPECT_EQ(services.Asked, (std::vector<QString>{c.asked, c.asked}));
  }
}

} // namespace
