#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "dialogs/about.h"

namespace {

const QString kHomepage = QStringLiteral("http://www.example.org/");

class FrmAboutTest : public ::testing::Test {
protected:
  void TearDown() override {
    delete box_;
    QApplication::setFont(savedFont_);
  }

  TfrmAbout& Open(const std::vector<TAboutRow>& rows, const QString& homepage = kHomepage) {
    box_ = new TfrmAbout(rows, homepage, [this] { ++opened_; });
    box_->show();
    return *box_;
  }
  template <class T> T& Child(const char* name) {
    T* child = box_->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return *child;
  }
  QTreeWidget& List() { return Child<QTreeWidget>("lvVersion"); }
  // The box deletes itself once closed; let that happen.
  bool Deleted() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return box_.isNull();
  }

  QPointer<TfrmAbout> box_;
  int opened_ = 0;
  QFont savedFont_ = QApplication::font();
};

TEST_F(FrmAboutTest, ShowsNameLinkAndVersionsInTwoColumnsWithoutHeaders) {
  TfrmAbout& box = Open({{"a2s.so", "3.1"}, {"skarvel", "2.5"}});
  EXPECT_EQ(box.windowTitle(), "About");
  EXPECT_EQ(Child<QLabel>("Label1").text(), "Skarvel 2.5");
  EXPECT_EQ(Child<QLabel>("laURL").text(), kHomepage);
  EXPECT_EQ(Child<QLabel>("laURL").cursor().shape(), Qt::PointingHandCursor);
  EXPECT_TRUE(Child<QLabel>("laURL").font().underline());

  QTreeWidget& list = List();
  EXPECT_TRUE(list.isHeaderHidden());
  ASSERT_EQ(list.columnCount(), 2);
  ASSERT_EQ(list.topLevelItemCount(), 2);
  EXPECT_EQ(list.topLevelItem(0)->text(0), "a2s.so");
  EXPECT_EQ(list.topLevelItem(0)->text(1), "3.1");
  EXPECT_EQ(list.topLevelItem(1)->text(0), "skarvel");
  EXPECT_EQ(list.topLevelItem(1)->text(1), "2.5");
  EXPECT_EQ(list.columnWidth(1), 100);
  EXPECT_EQ(list.editTriggers(), QAbstractItemView::NoEditTriggers);

  EXPECT_EQ(box.minimumSize(), box.maximumSize()) << "a fixed border";
  EXPECT_GE(box.width(), 247);
  EXPECT_GE(box.height(), 169);
  EXPECT_TRUE(Child<QPushButton>("btOK").isDefault());
}

struct CopyCase {
  const char* name;
  std::vector<TAboutRow> rows;
  QString clipboard; // what Copy leaves there; "before" when it leaves it alone
};

class FrmAboutCopyTest : public FrmAboutTest, public ::testing::WithParamInterface<CopyCase> {};

TEST_P(FrmAboutCopyTest, CopyPutsEveryRowInListOrderOnTheClipboard) {
  const CopyCase& c = GetParam();
  TfrmAbout& box = Open(c.rows);
  QApplication::clipboard()->setText("before");
  Child<QAction>("mnCopy").trigger();
  EXPECT_EQ(QApplication::clipboard()->text(), c.clipboard);

  // The popup's shortcut, from the list.
  QApplication::clipboard()->setText("before");
  box.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
  List().setFocus();
  QTest::keyClick(&List(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), c.clipboard);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FrmAboutCopyTest,
    ::testing::Values(CopyCase{"OneRow", {{"skarvel", "2.5"}}, "skarvel 2.5\r\n"},
                      CopyCase{"SeveralRows",
                               {{"a2s.so", "3.1"}, {"history.so", "1.2.3"}, {"skarvel", "2.5"}},
                               "a2s.so 3.1\r\nhistory.so 1.2.3\r\nskarvel 2.5\r\n"},
                      CopyCase{"EmptyList", {}, "before"}),
    [](const ::testing::TestParamInfo<CopyCase>& test) { return std::string(test.param.name); });

struct CloseCase {
  const char* name;
  std::function<void(TfrmAbout&)> act;
  int homepageOpened;
};

class FrmAboutCloseTest : public FrmAboutTest, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(FrmAboutCloseTest, ClosesAndDeletesItself) {
  const CloseCase& c = GetParam();
  TfrmAbout& box = Open({{"skarvel", "2.5"}});
  c.act(box);
  EXPECT_EQ(opened_, c.homepageOpened);
  EXPECT_TRUE(Deleted());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FrmAboutCloseTest,
    ::testing::Values(CloseCase{"LinkOpensTheHomepage",
                                [](TfrmAbout& box) {
                                  QTest::mouseClick(box.findChild<QLabel*>("laURL"),
                                                    Qt::LeftButton);
                                },
                                1},
                      CloseCase{"OkButton",
                                [](TfrmAbout& box) {
                                  QTest::mouseClick(box.findChild<QPushButton*>("btOK"),
                                                    Qt::LeftButton);
                                },
                                0},
                      CloseCase{"EnterIsDefault",
                                [](TfrmAbout& box) { QTest::keyClick(&box, Qt::Key_Return); }, 0},
                      CloseCase{"EscapeIsCancel",
                                [](TfrmAbout& box) { QTest::keyClick(&box, Qt::Key_Escape); }, 0}),
    [](const ::testing::TestParamInfo<CloseCase>& test) { return std::string(test.param.name); });

TEST_F(FrmAboutTest, RightClickOnTheLinkOpensNothing) {
  TfrmAbout& box = Open({{"skarvel", "2.5"}});
  QTest::mouseClick(&Child<QLabel>("laURL"), Qt::RightButton);
  EXPECT_EQ(opened_, 0);
  EXPECT_TRUE(box.isVisible());
}

// Every text shows whole, at the default font and at a large one.
class FrmAboutFitTest : public FrmAboutTest, public ::testing::WithParamInterface<int> {};

TEST_P(FrmAboutFitTest, TextsAreNotClipped) {
  if (GetParam() > 0) {
    QFont large = QApplication::font();
    large.setPointSize(GetParam());
    QApplication::setFont(large);
  }
  Open({{"libskarvel_statistics_history.so", "1.2.3"}, {"skarvel", "2.5"}},
       QStringLiteral("http://www.skarvel.example.org/downloads/"));
  for (const char* name : {"Label1", "laURL"}) {
    const QLabel& label = Child<QLabel>(name);
    EXPECT_GE(label.width(), label.sizeHint().width()) << name;
    EXPECT_GE(label.height(), label.sizeHint().height()) << name;
  }
  const QPushButton& ok = Child<QPushButton>("btOK");
  EXPECT_GE(ok.width(), ok.sizeHint().width());
  EXPECT_GE(ok.height(), ok.sizeHint().height());

  // The view places its scroll bars once the events of showing it are handled.
  QCoreApplication::processEvents();
  QTreeWidget& list = List();
  EXPECT_GE(list.columnWidth(0), static_cast<QAbstractItemView&>(list).sizeHintForColumn(0));
  EXPECT_GE(list.viewport()->width(), list.columnWidth(0) + list.columnWidth(1));
  EXPECT_EQ(list.horizontalScrollBar()->maximum(), 0);
  EXPECT_FALSE(list.verticalScrollBar()->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Fonts, FrmAboutFitTest, ::testing::Values(0, 20),
                         [](const ::testing::TestParamInfo<int>& test) {
                           return test.param == 0 ? std::string("DefaultFont")
                                                  : "PointSize" + std::to_string(test.param);
                         });

TEST_F(FrmAboutTest, APluginNameLongerThanTheScreenIsCutShortNotTheBox) {
  const std::string name = std::string(210, 'x') + ".so";
  ASSERT_EQ(name.size(), 213u);
  TfrmAbout& box = Open({{name, "1.0"}, {"skarvel", "2.5"}});
  QCoreApplication::processEvents();
  const QRect screen = box.screen()->availableGeometry();
  EXPECT_LE(box.frameGeometry().width(), screen.width());
  EXPECT_TRUE(screen.contains(box.frameGeometry())) << "left " << box.frameGeometry().left();

  // Both columns stay in view; the name shows whole in its tooltip and copy.
  QTreeWidget& list = List();
  EXPECT_GE(list.viewport()->width(), list.columnWidth(0) + list.columnWidth(1));
  EXPECT_EQ(list.topLevelItem(0)->toolTip(0).toStdString(), name);
  list.setFocus();
  QTest::keyClick(&list, Qt::Key_C, Qt::ControlModifier);
  EXPECT_TRUE(QApplication::clipboard()->text().startsWith(QString::fromStdString(name + " 1.0")));
}

} // namespace
