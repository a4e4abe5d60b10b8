#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "frmSettingsFixture.h"

namespace {

using Patterns = std::vector<std::string>;

class FrmSettingsBuddiesTest : public FrmSettingsTest {
protected:
  QListWidget& BuddyList() { return Child<QListWidget>("lbBuddies"); }
  QStringList Shown() {
    QStringList shown;
    for (int i = 0; i < BuddyList().count(); ++i)
      shown << BuddyList().item(i)->text();
    return shown;
  }
  void AddBuddy(const QString& pattern) {
    Type("edBuddy", pattern);
    Click("btBuddyAdd");
  }
  void ShowPage() {
    Child<QTabWidget>("PageControl1").setCurrentWidget(&Child<QWidget>("tsBuddies"));
  }
};

const char* const kTwoBuddies = "[Address]\n127.0.0.1,q3=1\n"
                                "[Buddies]\n0=Anna\n1=*bob*\n";

TEST_F(FrmSettingsBuddiesTest, AddSkipsEmptyAndListedPatternsAndRemoveTakesTheSelectedOne) {
  Open(kTwoBuddies);
  ShowPage();
  EXPECT_EQ(Shown(), (QStringList{"Anna", "*bob*"}));
  EXPECT_FALSE(Child<QPushButton>("btBuddyDel").isEnabled()); // nothing selected yet

  AddBuddy("  J?rg ");
  AddBuddy("");
  AddBuddy("ANNA");
  AddBuddy("Zoë");
  EXPECT_EQ(Shown(), (QStringList{"Anna", "*bob*", "J?rg", "Zoë"}));
  EXPECT_EQ(BuddyList().currentRow(), 3); // the one added last
  EXPECT_EQ(Child<QLineEdit>("edBuddy").text(), "");

  BuddyList().setCurrentRow(1);
  Click("btBuddyDel");
  EXPECT_EQ(Shown(), (QStringList{"Anna", "J?rg", "Zoë"}));
  EXPECT_EQ(Buddies.Patterns(), (Patterns{"Anna", "*bob*"})) << "nothing is live before OK";
}

TEST_F(FrmSettingsBuddiesTest, OkStoresTheListAsEditedCancelKeepsTheOldOne) {
  Open(kTwoBuddies);
  ShowPage();
  AddBuddy("Carl");
  Click("btCancel");
  EXPECT_EQ(Buddies.Patterns(), (Patterns{"Anna", "*bob*"}));
  EXPECT_EQ(Stored().ReadSection("Buddies"), (Patterns{"0", "1"}));

  dialog_->show();
  EXPECT_EQ(Shown(), (QStringList{"Anna", "*bob*"})) << "the next showing starts afresh";
  // Edited in place: emptied rows and rows that became duplicates go.
  BuddyList().item(0)->setText(QStringLiteral(" Dora "));
  BuddyList().item(1)->setText(QString());
  AddBuddy("Carl");
  AddBuddy("Eve");
  BuddyList().item(3)->setText(QStringLiteral("carl"));
  Click("btOk");
  ASSERT_TRUE(Accepted());
  EXPECT_EQ(Buddies.Patterns(), (Patterns{"Dora", "Carl"}));
  const TIniFile stored = Stored();
  EXPECT_EQ(stored.ReadSection("Buddies"), (Patterns{"0", "1"}));
  EXPECT_EQ(stored.ReadString("Buddies", "0", ""), "Dora");
  EXPECT_EQ(stored.ReadString("Buddies", "1", ""), "Carl");
}

TEST_F(FrmSettingsBuddiesTest, AnEmptyListLeavesNoSection) {
  Open(kTwoBuddies);
  ShowPage();
  BuddyList().setCurrentRow(0);
  Click("btBuddyDel");
  BuddyList().setCurrentRow(0);
  Click("btBuddyDel");
  Click("btOk");
  ASSERT_TRUE(Accepted());
  EXPECT_TRUE(Buddies.Empty());
  EXPECT_FALSE(Stored().SectionExists("Buddies"));
}

TEST_F(FrmSettingsBuddiesTest, EnterInTheNameFieldAddsAndDeleteInTheListRemoves) {
  Open(kTwoBuddies);
  ShowPage();
  QLineEdit& name = Child<QLineEdit>("edBuddy");
  name.setText(QStringLiteral("Carl"));
  QTest::keyClick(&name, Qt::Key_Return);
  EXPECT_TRUE(dialog_->isVisible()) << "Enter with a name typed must not press OK";
  EXPECT_EQ(Shown(), (QStringList{"Anna", "*bob*", "Carl"}));

  BuddyList().setCurrentRow(0);
  QTest::keyClick(&BuddyList(), Qt::Key_Delete);
  EXPECT_EQ(Shown(), (QStringList{"*bob*", "Carl"}));

  QTest::keyClick(&name, Qt::Key_Enter, Qt::KeypadModifier); // empty: OK as usual
  ASSERT_TRUE(Accepted());
  EXPECT_EQ(Buddies.Patterns(), (Patterns{"*bob*", "Carl"}));
}

} // namespace
