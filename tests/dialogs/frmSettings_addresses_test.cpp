#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>

#include "ModalScript.h"
#include "frmSettingsFixture.h"

namespace {

using Lines = std::vector<std::string>;

TEST_F(FrmSettingsTest, ShowsTheLiveAddressesWithTheFirstRowSelected) {
  Open(kTwoAddresses);
  EXPECT_EQ(Rows(), (Lines{"127.0.0.1:7790 u4 Lan on", "127.0.0.2 q3 off"}));
  EXPECT_EQ(SelectedRow(), 0);
  EXPECT_TRUE(Child<QPushButton>("btOk").isEnabled());
  const QTreeWidget& list = List();
  EXPECT_EQ(list.headerItem()->text(0), "Address");
  EXPECT_EQ(list.headerItem()->text(1), "Game");
  EXPECT_EQ(list.headerItem()->text(2), "Description");
  EXPECT_EQ(list.editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST_F(FrmSettingsTest, AddRunsTheAddressDialogOnANewAddressOfTheFirstGame) {
  Open(kTwoAddresses);
  edits_ = {EditTo("127.0.0.3", "New one")};
  Click("btAdd");
  EXPECT_EQ(edited_, (std::vector<std::string>{",ut"})) << "no host, UT's default port";
  EXPECT_EQ(Rows(),
            (Lines{"127.0.0.1:7790 u4 Lan on", "127.0.0.2 q3 off", "127.0.0.3 ut New one on"}));
  EXPECT_EQ(Live().size(), 2u) << "nothing reaches the live list before OK";

  Click("btOk");
  EXPECT_TRUE(Accepted());
  EXPECT_EQ(Live(), Rows());
  EXPECT_EQ(StoredAddresses(),
            (std::vector<std::string>{"127.0.0.1:7790,u4=1,Lan,,,", "127.0.0.2,q3=0,,,,",
                                      "127.0.0.3,ut=1,\"New one\",,,"}));
}

// F2 and Del act on the chosen row: after Add, the row just added.
TEST_F(FrmSettingsTest, AddSelectsTheNewRowSoThatF2AndDelActOnIt) {
  Open(kTwoAddresses);
  SelectRow(0);
  edits_ = {EditTo("127.0.0.3", "New one")};
  Click("btAdd");
  EXPECT_EQ(SelectedRow(), 2);
  EXPECT_EQ(List().currentItem(), List().topLevelItem(2)) << "focused too";

  edits_ = {EditTo("127.0.0.3", "Renamed")};
  Key(Qt::Key_F2);
  EXPECT_EQ(edited_.back(), "127.0.0.3,ut");
  EXPECT_EQ(Rows(),
            (Lines{"127.0.0.1:7790 u4 Lan on", "127.0.0.2 q3 off", "127.0.0.3 ut Renamed on"}));

  TModalScript script;
  script.ThenAccept();
  Key(Qt::Key_Delete);
  EXPECT_EQ(script.MessageTexts(),
            QStringList{QStringLiteral("Remove the address 127.0.0.3 from the list?")});
  EXPECT_EQ(Rows(), (Lines{"127.0.0.1:7790 u4 Lan on", "127.0.0.2 q3 off"}));
}

struct DeleteAnswerCase {
  const char* name;
  bool byKey; // Del on the keyboard, else the button
  QMessageBox::StandardButton answer;
  std::vector<std::string> left;
};

class DeleteAnswerTest : public FrmSettingsTest,
                         public ::testing::WithParamInterface<DeleteAnswerCase> {};

TEST_P(DeleteAnswerTest, DelAsksBeforeRemovingTheAddress) {
  const DeleteAnswerCase& c = GetParam();
  Open(kTwoAddresses);
  SelectRow(1);
  TModalScript script;
  script.Then([&c](QWidget& modal) {
    auto& box = dynamic_cast<QMessageBox&>(modal);
    EXPECT_EQ(box.windowTitle(), "Skarvel");
    EXPECT_EQ(box.defaultButton(), box.button(QMessageBox::Yes));
    box.button(c.answer)->click();
  });
  if (c.byKey)
    Key(Qt::Key_Delete);
  else
    Click("btDel");
  EXPECT_EQ(script.MessageTexts(),
            QStringList{QStringLiteral("Remove the address 127.0.0.2 from the list?")});
  EXPECT_EQ(script.Unanswered(), 0);
  EXPECT_EQ(Rows(), c.left);
  Click("btOk");
  EXPECT_EQ(Live(), c.left);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeleteAnswerTest,
    ::testing::Values(
        DeleteAnswerCase{"KeyYes", true, QMessageBox::Yes, {"127.0.0.1:7790 u4 Lan on"}},
        DeleteAnswerCase{
            "KeyNo", true, QMessageBox::No, {"127.0.0.1:7790 u4 Lan on", "127.0.0.2 q3 off"}},
        DeleteAnswerCase{
            "ButtonNo", false, QMessageBox::No, {"127.0.0.1:7790 u4 Lan on", "127.0.0.2 q3 off"}}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(FrmSettingsTest, AddThatTheAddressDialogCancelsLeavesTheListAlone) {
  Open(kTwoAddresses);
  edits_ = {EditCancel()};
  Click("btAdd");
  EXPECT_EQ(edited_.size(), 1u);
  EXPECT_EQ(Rows().size(), 2u);
}

struct DuplicateCase {
  const char* name;
  TFrmSettingsEdit edit;
  bool refused;
};

class AddDuplicateTest : public FrmSettingsTest,
                         public ::testing::WithParamInterface<DuplicateCase> {};

TEST_P(AddDuplicateTest, AnAddressAlreadyListedIsRefused) {
  Open(kTwoAddresses);
  edits_ = {GetParam().edit};
  TModalScript script;
  if (GetParam().refused)
    script.ThenAccept();
  Click("btAdd");
  if (GetParam().refused) {
    EXPECT_EQ(script.MessageTexts(), QStringList{"This address is already listed"});
    EXPECT_EQ(Rows().size(), 2u);
  } else {
    EXPECT_TRUE(script.MessageTexts().isEmpty());
    EXPECT_EQ(Rows().size(), 3u);
  }
  EXPECT_EQ(script.Unanswered(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AddDuplicateTest,
    ::testing::Values(DuplicateCase{"SameHostPortAndGame", EditToGame("127.0.0.2", 3), true},
                      DuplicateCase{"SameHostOtherGame", EditToGame("127.0.0.2", 2), false},
                      DuplicateCase{"SameHostOtherPort",
                                    [](std::unique_ptr<TAddress>& address) {
                                      address = std::make_unique<TAddress>(address->Registry(),
                                                                           "127.0.0.2", 27961, 3);
                                      return true;
                                    },
                                    false},
                      // The host is compared as text: the same host spelled otherwise is another.
                      DuplicateCase{"HostTextDiffers", EditToGame("127.0.0.02", 3), false}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(FrmSettingsTest, EditChangesTheSelectedAddressOnACopy) {
  Open(kTwoAddresses);
  SelectRow(1);
  edits_ = {EditToGame("127.0.0.5", 1), EditCancel()};
  Click("btEdit");
  EXPECT_EQ(edited_, (std::vector<std::string>{"127.0.0.2,q3"}));
  EXPECT_EQ(Rows(), (Lines{"127.0.0.1:7790 u4 Lan on", "127.0.0.5 u4 on"}));

  // The address dialog works on a copy: its Cancel changes nothing.
  Click("btEdit");
  EXPECT_EQ(Rows(), (Lines{"127.0.0.1:7790 u4 Lan on", "127.0.0.5 u4 on"}));

  Click("btOk");
  EXPECT_EQ(Live(), Rows());
}

TEST_F(FrmSettingsTest, EditIntoAnotherListedAddressIsRefusedAndLeavesTheRowAlone) {
  Open(kTwoAddresses);
  SelectRow(1);
  edits_ = {[](std::unique_ptr<TAddress>& address) {
    address = std::make_unique<TAddress>(address->Registry(), "127.0.0.1", 7790, 1);
    address->Description = "Lost";
    return true;
  }};
  TModalScript script;
  script.ThenAccept();
  Click("btEdit");
  EXPECT_EQ(script.MessageTexts(), QStringList{"This address is already listed"});
  EXPECT_EQ(Rows(), (Lines{"127.0.0.1:7790 u4 Lan on", "127.0.0.2 q3 off"}));

  // Keeping its own host, port and game is no duplicate.
  edits_ = {EditTo("127.0.0.2", "Same")};
  Click("btEdit");
  EXPECT_EQ(Rows()[1], "127.0.0.2 q3 Same off");
}

TEST_F(FrmSettingsTest, EditWithoutARowDoesNothing) {
  Open("[Address]\n127.0.0.1,ut=1\n");
  ClickDelAnsweringYes();
  ASSERT_TRUE(Rows().empty());
  Click("btEdit");
  EXPECT_TRUE(edited_.empty());
}

TEST_F(FrmSettingsTest, UntickedRowsAreStoredDisabledAndEditingTicksARowAgain) {
  Open(kTwoAddresses);
  List().topLevelItem(0)->setCheckState(0, Qt::Unchecked);
  List().topLevelItem(1)->setCheckState(0, Qt::Checked);
  EXPECT_EQ(Rows(), (Lines{"127.0.0.1:7790 u4 Lan off", "127.0.0.2 q3 on"}));

  // The row is refilled from its address, whose flag follows the rows only at OK.
  SelectRow(1);
  edits_ = {EditTo("127.0.0.2")};
  Click("btEdit");
  EXPECT_EQ(Rows()[1], "127.0.0.2 q3 off");

  Click("btOk");
  EXPECT_EQ(Live(), (Lines{"127.0.0.1:7790 u4 Lan off", "127.0.0.2 q3 off"}));
  EXPECT_EQ(StoredAddresses(),
            (std::vector<std::string>{"127.0.0.1:7790,u4=0,Lan,,,", "127.0.0.2,q3=0,,,,"}));
}

struct DeleteCase {
  const char* name;
  int row;      // the row deleted
  Lines left;   // rows after it
  int selected; // the row then selected, -1 for none
  bool okEnabled;
};

class DeleteTest : public FrmSettingsTest, public ::testing::WithParamInterface<DeleteCase> {};

TEST_P(DeleteTest, DeletesTheRowAndSelectsItsSuccessor) {
  const DeleteCase& c = GetParam();
  Open(c.left.size() == 2 ? "[Address]\n127.0.0.1,ut=1\n127.0.0.2,ut=1\n127.0.0.3,ut=1\n"
                          : "[Address]\n127.0.0.1,ut=1\n");
  SelectRow(c.row);
  ClickDelAnsweringYes();
  EXPECT_EQ(Rows(), c.left);
  EXPECT_EQ(SelectedRow(), c.selected);
  if (c.selected >= 0) {
    EXPECT_EQ(List().currentItem(), List().topLevelItem(c.selected)) << "focused too";
  }
  EXPECT_EQ(Child<QPushButton>("btOk").isEnabled(), c.okEnabled);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeleteTest,
    ::testing::Values(DeleteCase{"Middle", 1, {"127.0.0.1 ut on", "127.0.0.3 ut on"}, 1, true},
                      DeleteCase{"First", 0, {"127.0.0.2 ut on", "127.0.0.3 ut on"}, 0, true},
                      DeleteCase{"Last", 2, {"127.0.0.1 ut on", "127.0.0.2 ut on"}, 1, true},
                      DeleteCase{"Only", 0, {}, -1, false}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(FrmSettingsTest, DeletingAndAddingAgainCommitsTheNewList) {
  Open(kTwoAddresses);
  ClickDelAnsweringYes();
  ClickDelAnsweringYes();
  ASSERT_FALSE(Child<QPushButton>("btOk").isEnabled());
  edits_ = {EditTo("127.0.0.9")};
  Click("btAdd");
  ASSERT_TRUE(Child<QPushButton>("btOk").isEnabled());
  Click("btOk");
  EXPECT_EQ(Live(), (Lines{"127.0.0.9 ut on"}));
  EXPECT_EQ(StoredAddresses(), (std::vector<std::string>{"127.0.0.9,ut=1,,,,"}));
}

TEST_F(FrmSettingsTest, ArrowsMoveTheSelectedRowAndStopAtTheEnds) {
  Open("[Address]\n127.0.0.1,ut=1\n127.0.0.2,q3=0\n127.0.0.3,q2=1\n");
  SelectRow(0);
  Click("btUp");
  EXPECT_EQ(Rows(), (Lines{"127.0.0.1 ut on", "127.0.0.2 q3 off", "127.0.0.3 q2 on"}));
  Click("btDown");
  EXPECT_EQ(Rows(), (Lines{"127.0.0.2 q3 off", "127.0.0.1 ut on", "127.0.0.3 q2 on"}));
  EXPECT_EQ(SelectedRow(), 1);
  Click("btDown");
  EXPECT_EQ(SelectedRow(), 2);
  Click("btDown");
  EXPECT_EQ(Rows(), (Lines{"127.0.0.2 q3 off", "127.0.0.3 q2 on", "127.0.0.1 ut on"}));
  EXPECT_EQ(SelectedRow(), 2);
  EXPECT_EQ(List().currentItem(), List().topLevelItem(2));

  // The moved row keeps its address: editing it edits the right one.
  edits_ = {EditTo("127.0.0.1", "Moved")};
  Click("btEdit");
  EXPECT_EQ(Rows()[2], "127.0.0.1 ut Moved on");

  Click("btOk");
  EXPECT_EQ(Live(), Rows());
  EXPECT_EQ(StoredAddresses(), (std::vector<std::string>{"127.0.0.2,q3=0,,,,", "127.0.0.3,q2=1,,,,",
                                                         "127.0.0.1,ut=1,Moved,,,"}));
}

TEST_F(FrmSettingsTest, ArrowsNeedASelectedRowOfAtLeastTwo) {
  Open(kTwoAddresses);
  List().clearSelection();
  Click("btDown");
  EXPECT_EQ(Rows(), (Lines{"127.0.0.1:7790 u4 Lan on", "127.0.0.2 q3 off"}));
}

TEST_F(FrmSettingsTest, InsertDeleteAndF2WorkOnTheAddressesPageWithoutModifiers) {
  Open(kTwoAddresses);
  SelectRow(0);
  for (Qt::KeyboardModifier modifier : {Qt::ControlModifier, Qt::ShiftModifier, Qt::AltModifier})
    Key(Qt::Key_Delete, modifier);
  EXPECT_EQ(Rows().size(), 2u) << "a held Shift, Ctrl or Alt does nothing";

  AnsweringYes([this] { Key(Qt::Key_Delete); });
  EXPECT_EQ(Rows(), (Lines{"127.0.0.2 q3 off"}));
  edits_ = {EditTo("127.0.0.2", "Renamed"), EditTo("127.0.0.7")};
  Key(Qt::Key_F2);
  EXPECT_EQ(Rows(), (Lines{"127.0.0.2 q3 Renamed off"}));
  // The keys reach the dialog wherever the focus is on the page.
  Child<QPushButton>("btAdd").setFocus();
  QTest::keyClick(&Child<QPushButton>("btAdd"), Qt::Key_Insert);
  EXPECT_EQ(Rows(), (Lines{"127.0.0.2 q3 Renamed off", "127.0.0.7 ut on"}));

  // On another page they are that page's keys.
  Child<QTabWidget>("PageControl1").setCurrentIndex(2);
  QTest::keyClick(&Child<QLineEdit>("edInterval"), Qt::Key_Delete);
  QTest::keyClick(&Child<QLineEdit>("edInterval"), Qt::Key_Insert);
  EXPECT_EQ(Rows().size(), 2u);
  EXPECT_EQ(edited_.size(), 2u);
}

} // namespace
